// The toolkit contract on Qt, in an X session with a window manager
// (run_qt.sh starts Xvfb and openbox).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <iterator>

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
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  std::string TempName(const std::string& leaf) const {
    return folder_.filePath(QString::fromStdString(leaf)).toStdString();
  }

 private:
  qt::QtToolkit toolkit_;
  QTemporaryDir folder_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, Contract, QtBackend);

}  // namespace dv::contract

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("dayvane-contract");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
