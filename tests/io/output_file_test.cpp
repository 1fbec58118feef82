// Result files written whole or not at all, and read back with the system's reasons.
#include "io/output_file.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace hs {
namespace {

namespace fs = std::filesystem;

// A fresh folder of its own under the system's temporary folder.
fs::path fresh_folder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / ("holestress-" + name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// Catches a file renamed to another name than asked, a temporary file left behind, an old
// content kept or half replaced, a failure reported as success, and reads that lose the reason.
TEST(OutputFile, WrittenWholeUnderItsNameAndReadBack) {
  const fs::path folder = fresh_folder("output-file");
  const std::string path = (folder / "results.json").string();
  std::string error, text;
  ASSERT_TRUE(write_file_atomically(path, "old", error)) << error;
  ASSERT_TRUE(write_file_atomically(path, std::string(100000, 'x'), error)) << error;
  ASSERT_TRUE(read_file(path, 1 << 20, text, error)) << error;
  EXPECT_EQ(std::string(100000, 'x'), text);
  int files = 0;
  for (const auto& e : fs::directory_iterator(folder)) files += e.is_regular_file();
  EXPECT_EQ(1, files);  // no temporary file left beside it

  // A folder where the file should go, or a folder that does not exist: false with a reason, and
  // nothing else written.
  fs::create_directories(folder / "taken");
  EXPECT_FALSE(write_file_atomically((folder / "taken").string(), "new", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(write_file_atomically((folder / "missing" / "x.json").string(), "new", error));
  EXPECT_FALSE(error.empty());
  files = 0;
  for (const auto& e : fs::directory_iterator(folder)) files += e.is_regular_file();
  EXPECT_EQ(1, files);

  // Reads: too large, a folder, missing, each with its system error.
  int code = 0;
  EXPECT_FALSE(read_file(path, 1000, text, error, &code));
  EXPECT_EQ(EFBIG, code);
  EXPECT_FALSE(read_file(folder.string(), 1000, text, error, &code));
  EXPECT_EQ(EISDIR, code);
  EXPECT_FALSE(read_file((folder / "none").string(), 1000, text, error, &code));
  EXPECT_EQ(ENOENT, code);
  fs::remove_all(folder);
}

// Catches a file written piece by piece that shows before it is committed, a temporary file left
// behind when the writing is given up, pieces lost or reordered, and a later failure that hides
// the first one's reason.
TEST(OutputFile, PieceByPieceCommittedOrGone) {
  const fs::path folder = fresh_folder("atomic-file");
  const std::string path = (folder / "results.csv").string();
  std::string error, text;
  ASSERT_TRUE(write_file_atomically(path, "old", error)) << error;
  {
    AtomicFile file;
    ASSERT_TRUE(file.open(path, error)) << error;
    ASSERT_TRUE(file.write("a,b\n", error)) << error;
    ASSERT_TRUE(read_file(path, 100, text, error)) << error;
    EXPECT_EQ("old", text);  // not yet committed
  }                          // given up
  int files = 0;
  for (const auto& e : fs::directory_iterator(folder)) files += e.is_regular_file();
  EXPECT_EQ(1, files);
  ASSERT_TRUE(read_file(path, 100, text, error)) << error;
  EXPECT_EQ("old", text);

  AtomicFile file;
  ASSERT_TRUE(file.open(path, error)) << error;
  for (const char* piece : {"a,b\n", "", "1,2\n", "3,4\n"}) ASSERT_TRUE(file.write(piece, error));
  ASSERT_TRUE(file.commit(error)) << error;
  ASSERT_TRUE(read_file(path, 100, text, error)) << error;
  EXPECT_EQ("a,b\n1,2\n3,4\n", text);

  // A target that cannot be made: every later call fails with the first reason.
  AtomicFile bad;
  EXPECT_FALSE(bad.open((folder / "missing" / "x.csv").string(), error));
  const std::string first = error;
  EXPECT_NE(std::string::npos, first.find("missing"));
  EXPECT_FALSE(bad.write("x", error));
  EXPECT_EQ(first, error);
  EXPECT_FALSE(bad.commit(error));
  EXPECT_EQ(first, error);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace hs
