// The console: every record the program prints and every input it reads pass through here.
//
// Writing: a format text, a parenthesised list of edit descriptors as the tables are written
// ('literal' with '' for an apostrophe, nX, /, Iw, Fw.d, Ew.d, repeat counts), is applied to a
// list of values. Every record ends with CR LF. The write stops at a data descriptor when the
// values are used up, and starts again from the beginning of the format on a new record when the
// closing parenthesis is reached with values left. Output is buffered and flushed before every
// read and at the end.
//
// Reading: free-form list reads of integers and reals (blanks, tabs, commas and line ends
// separate; a slash ends the read; null values and r*v repeats; the rest of the line after the
// last item is dropped) and answer reads of the first three characters of a line. A value that
// cannot be read, or the end of the input, writes a diagnostic to the error stream and makes the
// read return false: the run must then end with exit status 2.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iosfwd>
#include <streambuf>
#include <string_view>

namespace hs {

// A value handed to a formatted write: a 32-bit integer or a double.
struct Value {
  Value(int v) : is_int(true), i(v), d(0.0) {}
  Value(double v) : is_int(false), i(0), d(v) {}
  bool is_int;
  int i;
  double d;
};

// A variable filled by a list read: a 32-bit integer or a double.
struct Item {
  Item(int& v) : i(&v), d(nullptr) {}
  Item(double& v) : i(nullptr), d(&v) {}
  int* i;
  double* d;
};

class Console {
 public:
  Console(std::istream& in, std::ostream& out, std::ostream& err);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  void write(const char* format, std::initializer_list<Value> values = {}) {
    write(format, values.begin(), static_cast<int>(values.size()));
  }
  void write(const char* format, const Value* values, int n);

  // One record holding the text as it is (cut at the longest record).
  void write_record(std::string_view text);

  // Writes a prompt that the next list read asks again when a value typed at a terminal cannot
  // be read.
  void prompt(const char* format) {
    write(format);
    prompt_ = format;
  }

  // List read into n items. False after an unreadable value or the end of the input; at a
  // terminal (set_interactive) an unreadable value writes its diagnostic and the read starts
  // again on the next line, with the prompt again.
  bool read(std::initializer_list<Item> items) {
    return read(items.begin(), static_cast<int>(items.size()));
  }
  bool read(const Item* items, int n);

  // Answer read by (A3): the first three characters of the next line and a blank, in answer[4].
  bool read_answer(char answer[4]);

  // Sends everything written so far to the output stream.
  void flush();

  // While silent, writes are dropped (reads go on as before).
  void set_silent(bool silent) { silent_ = silent; }

  // Standard input is a terminal: a mistyped value is typed again rather than ending the run.
  void set_interactive(bool interactive) { interactive_ = interactive; }

 private:
  struct FormatItem {
    enum Kind : unsigned char { kLiteral, kSkip, kSlash, kInt, kFixed, kExp } kind;
    int a;  // literal: offset into the text pool; nX: n; data: width
    int b;  // literal: length; Fw.d, Ew.d: d
  };
  struct Format {
    const char* key;
    int first;
    int count;
    bool has_data;
  };

  const Format& compiled(const char* format);
  bool compile(const char* format, Format& f);
  void begin_record();
  void end_record();
  char* field(int width);

  int get();
  void finish_record();
  bool fail(const char* message, int item);
  bool read_once(const Item* items, int n);

  std::streambuf* in_;
  std::ostream& out_;
  std::ostream& err_;
  bool silent_ = false;

  static constexpr int kMaxFormats = 64;
  static constexpr int kMaxItems = 1024;
  static constexpr int kMaxText = 8192;
  Format formats_[kMaxFormats];
  int n_formats_ = 0;
  int last_ = 0;  // the format used last
  FormatItem items_[kMaxItems];
  int n_items_ = 0;
  char text_[kMaxText];
  int n_text_ = 0;

  static constexpr std::size_t kBufSize = 1 << 16;
  static constexpr int kMaxRecord = 1024;
  char buf_[kBufSize];
  std::size_t used_ = 0;
  int rec_len_ = 0;  // characters of the current record in buf_ after used_
  int rec_pos_ = 0;  // position of the next character of the current record

  bool mid_line_ = false;  // bytes of the current input line consumed, its end not yet
  bool interactive_ = false;
  bool eof_ = false;              // the last read failed at the end of the input
  const char* prompt_ = nullptr;  // asked again when a read is typed again
};

}  // namespace hs
