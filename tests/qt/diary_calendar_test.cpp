// The Linux calendar's marks when the notes folder itself changes under a
// shown calendar: a link turned to another folder, the folder renamed and
// made anew, the folder and the one above it deleted and made again; and
// a calendar that has settled arms no timer.
#include "platform/qt/diary_calendar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCharFormat>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "scratch.h"

#include "diary/diary.h"

namespace dv::qt {
namespace {

namespace fs = std::filesystem;

// Runs the event loop until `done` holds, for at most `ms`.
bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

class FolderChanges : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchFolder("calendar");
    ASSERT_FALSE(root_.empty());
    today_ = diary::LocalDate(std::time(nullptr));
  }
  void TearDown() override {
    calendar_.reset();
    fs::remove_all(root_);
  }
  void Show(const fs::path& folder) {
    calendar_ = std::make_unique<DiaryCalendar>(nullptr, folder.string());
    calendar_->show();
    ASSERT_TRUE(WaitFor([this] { return calendar_->isVisible(); }, 2000));
  }
  // Writes the note of day `day` of this month into `folder`.
  static void Note(const fs::path& folder, int day, const std::string& text) {
    std::ofstream(folder / NoteName(day)) << text;
  }
  static std::string NoteName(int day) {
    const diary::Date date = diary::LocalDate(std::time(nullptr));
    return diary::NoteFileName({date.year, date.month, day});
  }
  bool Marked(int day) const {
    const QDate date(today_.year, today_.month, day);
    return calendar_->dateTextFormat(date).fontWeight() == QFont::Bold;
  }
  // Waits up to 1 s for day `day`'s mark to be `marked`.
  bool MarkBecomes(int day, bool marked) {
    return WaitFor([&] { return Marked(day) == marked; }, 1000);
  }
  // No timer of the calendar is running.
  bool Settled() const {
    for (const QTimer* timer : calendar_->findChildren<QTimer*>()) {
      if (timer->isActive()) return false;
    }
    return true;
  }

  fs::path root_;
  diary::Date today_;
  std::unique_ptr<DiaryCalendar> calendar_;
};

TEST_F(FolderChanges, ALinkTurnedToAnotherFolderIsFollowed) {
  fs::create_directory(root_ / "a");
  fs::create_directory(root_ / "b");
  Note(root_ / "a", 3, "in a");
  Note(root_ / "b", 4, "in b");
  fs::create_directory_symlink(root_ / "a", root_ / "Dayvane");
  Show(root_ / "Dayvane");
  EXPECT_TRUE(Marked(3));
  EXPECT_FALSE(Marked(4));
  // Turned as `ln -sfn` does: a new link renamed over the old one.
  fs::create_directory_symlink(root_ / "b", root_ / "Dayvane.new");
  fs::rename(root_ / "Dayvane.new", root_ / "Dayvane");
  EXPECT_TRUE(MarkBecomes(3, false));
  EXPECT_TRUE(Marked(4));
  // The folder it names now is watched, the old one not.
  Note(root_ / "b", 5, "later in b");
  EXPECT_TRUE(MarkBecomes(5, true));
  Note(root_ / "a", 6, "later in a");
  EXPECT_FALSE(MarkBecomes(6, true));
  EXPECT_TRUE(WaitFor([this] { return Settled(); }, 1000));
}

TEST_F(FolderChanges, AFolderRenamedAndMadeAnewIsTheNewOne) {
  fs::create_directory(root_ / "Dayvane");
  Note(root_ / "Dayvane", 3, "old");
  Show(root_ / "Dayvane");
  EXPECT_TRUE(Marked(3));
  fs::rename(root_ / "Dayvane", root_ / "Dayvane.old");
  EXPECT_TRUE(MarkBecomes(3, false));
  fs::create_directory(root_ / "Dayvane");
  Note(root_ / "Dayvane", 7, "new");
  EXPECT_TRUE(MarkBecomes(7, true));
  Note(root_ / "Dayvane.old", 8, "in the renamed one");
  EXPECT_FALSE(MarkBecomes(8, true));
  EXPECT_TRUE(WaitFor([this] { return Settled(); }, 1000));
}

TEST_F(FolderChanges, AFolderGoneWithTheOneAboveItIsFoundAgain) {
  const fs::path folder = root_ / "home" / "Dayvane";
  fs::create_directories(folder);
  Note(folder, 3, "old");
  Show(folder);
  EXPECT_TRUE(Marked(3));
  fs::remove_all(root_ / "home");
  EXPECT_TRUE(MarkBecomes(3, false));
  // Nothing can tell now when it is back: the calendar looks now and then.
  EXPECT_FALSE(Settled());
  fs::create_directories(folder);
  Note(folder, 9, "new");
  EXPECT_TRUE(MarkBecomes(9, true));
  // Back and watched: it looks no more.
  EXPECT_TRUE(WaitFor([this] { return Settled(); }, 1000));
  Note(folder, 10, "watched again");
  EXPECT_TRUE(MarkBecomes(10, true));
}

}  // namespace
}  // namespace dv::qt

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
