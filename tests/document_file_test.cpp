// The framework's open and save commands on a document without content: whatever file the
// user picks, nothing blocks the program and nothing is read whole into memory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "program_fixture.h"

namespace {

class DocumentFileTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char pattern[] = "/tmp/lumivane-files-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(dir_);
  }

  // Runs Ctrl+O or Ctrl+S with the file dialog answering `path`; returns the message boxes
  // it showed.
  std::vector<std::string> Command(int key, const std::string& path) {
    backend->fileDialogAnswer = [path](const platform::FileDialogRequest&) -> std::optional<std::string> {
      return path;
    };
    const size_t boxesBefore = backend->messageBoxes.size();
    backend->Key(VK_CONTROL, true);
    backend->Key(key, true);
    backend->Key(key, false);
    backend->Key(VK_CONTROL, false);
    platform::PumpPendingMessages();
    std::vector<std::string> texts;
    for (size_t i = boxesBefore; i < backend->messageBoxes.size(); ++i) texts.push_back(backend->messageBoxes[i].text);
    return texts;
  }

  std::string dir_;
};

const std::vector<std::string> kCannotOpen = {"ﾄﾞｷｭﾒﾝﾄを開くことができません。"};

}  // namespace

TEST_F(DocumentFileTest, PipesDevicesAndFoldersAreRefusedAtOnceAndTheDocumentStays) {
  ASSERT_TRUE(Start());
  const std::string fifo = dir_ + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string pathBefore = Doc()->GetPathName();
  // A pipe with no writer would wait for one forever; /dev/zero never ends.
  for (const std::string& path : {fifo, std::string("/dev/zero"), dir_}) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Command('O', path), kCannotOpen) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << path;
    EXPECT_EQ(Doc()->GetPathName(), pathBefore);
  }
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(DocumentFileTest, AHugeFileOpensWithoutBeingRead) {
  ASSERT_TRUE(Start());
  // 64 GiB of holes: reading it whole would take the machine's memory and minutes.
  const std::string huge = dir_ + "/huge.doc";
  const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, off_t{64} << 30), 0);
  ::close(fd);
  const int step = Doc()->FrameSizeNo;
  EXPECT_TRUE(Command('O', huge).empty());
  EXPECT_EQ(Doc()->GetPathName(), huge);
  EXPECT_EQ(Doc()->FrameSizeNo, step);
}

TEST_F(DocumentFileTest, SavingEmptiesAPlainFileButNeverAPipeOrADevice) {
  ASSERT_TRUE(Start());
  const std::vector<std::string> cannotSave = {"ﾄﾞｷｭﾒﾝﾄを保存できませんでした。"};
  const std::string fifo = dir_ + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/null"), dir_}) {
    EXPECT_EQ(Command('S', path), cannotSave) << path;
  }
  struct stat st {};
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // A plain file is emptied in place: same file, same permissions.
  const std::string plain = dir_ + "/old.doc";
  std::ofstream(plain) << "earlier content";
  ASSERT_EQ(::chmod(plain.c_str(), 0640), 0);
  EXPECT_TRUE(Command('S', plain).empty());
  EXPECT_EQ(std::filesystem::file_size(plain), 0u);
  ASSERT_EQ(::stat(plain.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}
