// The toolkit contract on Qt, in an X session with a window manager
// (run_qt.sh starts Xvfb and openbox).
#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "contract/contract.h"
#include "platform/qt/qt_toolkit.h"

// After Qt's headers: Xlib's macros clash with them.
#include <X11/Xlib.h>

namespace dv::contract {
namespace {

// Runs the event loop for at most `ms` milliseconds.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

class QtBackend {
 public:
  QtBackend() : toolkit_(*qApp, "Dayvane v2.0") {}
  Toolkit& tk() { return toolkit_; }
  bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
      if (waited.elapsed() > ms) return false;
      RunFor(10);
    }
    return true;
  }
  // The X server has taken every request, and the window manager has had
  // the time to answer (two round trips, each with 100 ms of events after).
  void Settle() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    for (int round = 0; round < 2; ++round) {
      if (x11 != nullptr) XSync(x11->display(), False);
      RunFor(100);
    }
  }
  void AnswerNextBox(int id) {
    const QMessageBox::StandardButton button = id == kIdYes  ? QMessageBox::Yes
                                               : id == kIdNo ? QMessageBox::No
                                                             : QMessageBox::Ok;
    auto* poll = new QTimer(qApp);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != nullptr && box->button(button) != nullptr) {
        box->button(button)->click();
      } else if (waited->elapsed() < 5000) {
        return;
      }
      delete waited;
      poll->deleteLater();
      poll->stop();
    });
    poll->start(20);
  }
  std::string ActiveTitle() const {
    const QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active->windowTitle().toStdString() : std::string();
  }
  void WriteFile(const std::string& name, const std::string& text) { WriteTextFile(name, text); }
  std::string ReadFile(const std::string& name) const { return ReadTextFile(name); }
  std::string TempName(const std::string& leaf) const {
    return folder_.filePath(QString::fromStdString(leaf)).toStdString();
  }

 private:
  qt::QtToolkit toolkit_;
  QTemporaryDir folder_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, Contract, QtBackend);

// A desktop whose item views activate on one click (KDE's default).
class SingleClickStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_ItemView_ActivateItemOnSingleClick) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

TEST(QtCalendar, OneClickOnADateOnlySelectsItOnEveryDesktop) {
  qt::QtToolkit toolkit(*qApp, "Dayvane v2.0");
  auto* program_style = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(program_style, nullptr);
  program_style->setBaseStyle(new SingleClickStyle);
  QCalendarWidget calendar;
  calendar.setStyleSheet("QTableView { gridline-color: gray; }");  // as the program's look
  calendar.setSelectedDate(QDate(2026, 12, 8));
  calendar.show();
  int activated = 0;
  QObject::connect(&calendar, &QCalendarWidget::activated, [&activated] { ++activated; });
  auto* view = calendar.findChild<QAbstractItemView*>("qt_calendar_calendarview");
  ASSERT_NE(view, nullptr);
  // A date in the middle of the grid.
  const QPointF at(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &click);
  }
  EXPECT_NE(calendar.selectedDate(), QDate(2026, 12, 8));  // the click reached a date
  EXPECT_EQ(activated, 0);
}

}  // namespace dv::contract

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("dayvane-contract");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
