"""A minimal DevTools protocol client over --remote-debugging-pipe (no websocket needed): messages
are JSON texts ended by a NUL byte, commands on the browser's fd 3, answers and events on its fd 4."""
import json
import os
import shutil
import subprocess
import tempfile
import time


class Browser:
    def __init__(self, chromium, flags, url):
        self.profile = tempfile.mkdtemp(prefix="profile-")
        to_browser, self.write_fd = os.pipe()
        self.read_fd, from_browser = os.pipe()

        def fds():
            os.dup2(to_browser, 3)
            os.dup2(from_browser, 4)

        self.process = subprocess.Popen(
            [chromium] + flags + ["--remote-debugging-pipe", "--user-data-dir=" + self.profile, url],
            # The child keeps fds 3 and 4 (set by fds() before the others are closed).
            preexec_fn=fds, pass_fds=(3, 4), stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE)
        os.close(to_browser)
        os.close(from_browser)
        self.next_id, self.buffer, self.events, self.session = 0, b"", [], None

    def _read(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.read_fd, 1 << 16)
            if not chunk:
                self.process.kill()
                raise SystemExit("FAIL: the browser closed the DevTools pipe:\n" +
                                 self.process.stderr.read().decode(errors="replace")[-2000:])
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=True):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.write_fd, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._read()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise SystemExit("FAIL: %s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def attach(self):
        """Attaches to the page and collects its console, log entries and exceptions."""
        deadline = time.time() + 30
        while time.time() < deadline:
            pages = [t for t in self.send("Target.getTargets", session=False)["targetInfos"]
                     if t["type"] == "page"]
            if pages:
                self.session = self.send("Target.attachToTarget", {"targetId": pages[0]["targetId"],
                                                                    "flatten": True},
                                         session=False)["sessionId"]
                for domain in ("Runtime", "Log", "Page"):
                    self.send(domain + ".enable")
                return
            time.sleep(0.2)
        raise SystemExit("FAIL: no page target")

    def eval(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True})
        if "exceptionDetails" in result:
            raise SystemExit("FAIL: %s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait(self, expression, seconds=30):
        deadline = time.time() + seconds
        while time.time() < deadline:
            # Not there yet (the page still loading) counts as false.
            value = self.eval("(() => { try { return (%s); } catch (e) { return null; } })()" % expression)
            if value:
                return value
            time.sleep(0.1)
        raise SystemExit("FAIL: timed out waiting for %s" % expression)

    def messages(self):
        """Console calls, log entries (CSP violations, network errors) and uncaught exceptions."""
        out = []
        for e in self.events:
            m, p = e.get("method"), e.get("params", {})
            if m == "Runtime.consoleAPICalled":
                out.append("console.%s: %s" % (p["type"], " ".join(str(a.get("value", a.get(
                    "description"))) for a in p["args"])))
            elif m == "Log.entryAdded":
                out.append("log %s: %s" % (p["entry"]["level"], p["entry"]["text"]))
            elif m == "Runtime.exceptionThrown":
                out.append("exception: %s" % p["exceptionDetails"].get("text"))
        return out

    def close(self):
        try:
            self.send("Browser.close", session=False)
        except (SystemExit, OSError):
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.write_fd)
        os.close(self.read_fd)
        shutil.rmtree(self.profile, ignore_errors=True)
