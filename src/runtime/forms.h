// Loading and unloading windows, and the delivery of their notifications.
// Each window definition has one instance per process (a Form); the program
// ends when a notification returns and no window is loaded any more.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/design.h"
#include "platform/window.h"

namespace dv {

class Toolkit;
class Forms;

class Form : public WindowOwner {
 public:
  Form(Forms& forms, const FormDesign& design);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  ~Form() override;

  const FormDesign& design() const override { return design_; }
  void Deliver(const std::function<void()>& handler) override;
  void CloseRequested(int reason) override { Unload(reason); }
  bool IsLoaded() const { return window_ != nullptr; }
  // The window; loads it first when it is not loaded.
  Window& window();
  // Builds the window hidden and runs its load notification; nothing when
  // it is loaded already.
  void Load();
  // Runs the close query and the unload notification, then destroys the
  // window; nothing when it is not loaded.
  void Unload(int reason = kFormCode);
  // Loads when needed, then shows the window (modeless).
  void Show();

  Forms& forms() const { return forms_; }
  Toolkit& toolkit() const;

 private:
  Forms& forms_;
  const FormDesign& design_;
  std::unique_ptr<Window> window_;
};

class Forms {
 public:
  explicit Forms(Toolkit& toolkit) : toolkit_(toolkit) {}
  Toolkit& toolkit() const { return toolkit_; }

  // Runs a notification handler. An error that the handler does not catch
  // gets the default handling: a message box with the error, then the
  // program ends. When the outermost handler returns and no window is
  // loaded, the program ends.
  void Deliver(const std::function<void()>& handler);

  // Loads and shows the start-up window, then runs the event loop; the
  // toolkit may build the window of `next` ahead meanwhile.
  int Run(Form& startup, const FormDesign* next = nullptr);
  // Unloads every loaded window, most recently loaded last, as a desktop
  // shutdown does, then closes any message box or menu still open.
  void UnloadAll(int reason = kAppWindows);

  std::size_t LoadedCount() const { return loaded_.size(); }
  bool ended() const { return ended_; }

 private:
  friend class Form;
  [[noreturn]] void Fail(const std::exception& error);

  Toolkit& toolkit_;
  std::vector<Form*> loaded_;
  // Unloaded windows, destroyed once the outermost handler has returned: a
  // window may be unloaded from inside one of its own notifications.
  std::vector<std::unique_ptr<Window>> retired_;
  int depth_ = 0;
  bool ended_ = false;
};

// The text of the default error message box.
std::string UnhandledErrorText(const std::exception& error);

}  // namespace dv
