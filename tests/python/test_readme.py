"""The Python session of the README runs as printed."""
import doctest
import os
import re
import unittest

from hs_support import SOURCE


class ReadmeSessionTest(unittest.TestCase):
    def test_session_runs_as_printed(self):
        readme = os.path.join(SOURCE, "README.md")
        with open(readme, encoding="utf-8") as f:
            text = f.read()
        section = re.search(r"^## Python\n(.*?)(?=^## )", text, re.S | re.M)
        self.assertIsNotNone(section, "README.md has no Python section")
        sessions = re.findall(r"```pycon\n(.*?)```", section.group(1), re.S)
        self.assertEqual(len(sessions), 1)
        test = doctest.DocTestParser().get_doctest(sessions[0], {}, "README Python session",
                                                   readme, 0)
        self.assertGreater(len(test.examples), 10)
        out = []
        runner = doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE)
        runner.run(test, out=out.append)
        self.assertEqual(runner.failures, 0, "".join(out))


if __name__ == "__main__":
    unittest.main()
