#include "runtime/forms.h"

#include <algorithm>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/toolkit.h"
#include "runtime/services.h"

namespace dv {

Form::Form(Forms& forms, const FormDesign& design) : forms_(forms), design_(design) {}

Form::~Form() = default;

Toolkit& Form::toolkit() const { return forms_.toolkit(); }

void Form::Deliver(const std::function<void()>& handler) { forms_.Deliver(handler); }

Window& Form::window() {
  Load();
  return *window_;
}

void Form::Load() {
  if (window_) return;
  window_ = toolkit().CreateWindow(design_, *this);
  forms_.loaded_.push_back(this);
  OnLoad();
}

void Form::Unload(int reason) {
  if (!window_) return;
  int cancel = 0;
  OnQueryUnload(cancel, reason);
  if (cancel != 0 || !window_) return;
  OnUnload(cancel);
  if (cancel != 0 || !window_) return;
  auto& loaded = forms_.loaded_;
  loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
  window_->Detach();
  window_->Hide();
  forms_.retired_.push_back(std::move(window_));
}

void Form::Show() { window().Show(); }

std::string UnhandledErrorText(const std::exception& error) {
  if (const auto* toolkit_error = dynamic_cast<const ToolkitError*>(&error)) {
    return "Run-time error '" + std::to_string(toolkit_error->number()) + "':\n\n" +
           toolkit_error->what();
  }
  return std::string("Run-time error:\n\n") + error.what();
}

[[noreturn]] void Forms::Fail(const std::exception& error) {
  ended_ = true;
  toolkit_.ShowMessageBox(UnhandledErrorText(error), kMbOk | kMbIconStop, toolkit_.App().Title);
  toolkit_.Fatal(1);
  std::abort();  // Fatal does not return
}

void Forms::Deliver(const std::function<void()>& handler) {
  if (ended_) return;
  ++depth_;
  try {
    handler();
  } catch (const ToolkitError& error) {
    Fail(error);
  } catch (const std::bad_alloc& error) {
    Fail(error);
  }
  if (--depth_ > 0) return;
  retired_.clear();
  if (loaded_.empty() && !ended_) {
    ended_ = true;
    toolkit_.Quit(0);
  }
}

int Forms::Run(Form& startup, const FormDesign* next) {
  Deliver([&startup] { startup.Show(); });
  if (ended_) return 0;
  if (next != nullptr) toolkit_.Prepare(*next);
  return toolkit_.Run();
}

void Forms::UnloadAll(int reason) {
  Deliver([this, reason] {
    // The main window first: it was loaded before any window it opened.
    const std::vector<Form*> forms = loaded_;
    for (Form* form : forms) form->Unload(reason);
    // A box or menu still open belongs to a handler that runs on below
    // this one: it closes, and that handler finishes without an answer.
    toolkit_.CloseModalUi();
  });
}

}  // namespace dv
