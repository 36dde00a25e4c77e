// Day notes: a double-click on a date makes sure that day's notes file
// exists in the program folder and opens it in the text editor.
#include "app/frm_main.h"
#include "platform/errors.h"
#include "platform/toolkit.h"
#include "platform/trace.h"

namespace dv {

namespace {

diary::Date Selected(Control& calendar) {
  return {CInt(calendar.Year()), CInt(calendar.Month()), CInt(calendar.Day())};
}

}  // namespace

std::string FrmMain::NoteFileName() { return diary::NoteFileName(Selected(Calendar1())); }

void FrmMain::OnDblClick(Control& source) {
  if (&source == &Calendar1()) DayNotes(Selected(Calendar1()));
}

void FrmMain::OpenNote(const diary::Date& date) {
  Trace("open-note");
  if (window().Visible()) Calendar1().SelectDate(date.year, date.month, date.day);
  DayNotes(date);
}

void FrmMain::DayNotes(const diary::Date& date) {
  Trace("day-notes");
  Toolkit& tk = toolkit();
  const std::string name = diary::NoteFileName(date);
  // Creates the file when missing; never writes to it.
  try {
    // Into the folder by its path each time: had the folder been renamed or
    // made anew since the last time, the current directory would still be
    // the old one, and the note (and the editor, which starts there) would
    // go where the calendar no longer looks.
    tk.ChangeDirectory(tk.App().Path);
    files_.OpenForAppend(name, 1);
    files_.Close(1);
  } catch (const ToolkitError& error) {
    files_.Close(1);
    std::string advice;
    switch (error.kind()) {
      case ErrorKind::PermissionDenied:
        advice =
            "Make sure the folder is writable and the file is not read-only or open in "
            "another program";
        break;
      case ErrorKind::PathNotFound:
        advice = "Make sure the folder exists";
        break;
      default:
        advice =
            "Make sure the name is a file you can write to (a link must point to an "
            "existing file)";
        break;
    }
    MsgBox(tk,
           "Dayvane could not create the notes file \"" + name + "\" in the folder \"" +
               tk.App().Path + "\": " + ErrorReason(error) + ".\n\n" + advice +
               ", then double-click the date again.",
           kMbOk | kMbIconStop);
    return;
  }

  StartupInfo startup;
  startup.cb = kStartupInfoSize;
  startup.dwXSize = static_cast<std::uint32_t>(CLng(FDiv(HorzRes, 3)));
  startup.dwYSize = static_cast<std::uint32_t>(CLng(FDiv(VertRes, 2.5)));
  startup.dwFlags = kStartfUseSize | kStartfUsePosition | kStartfUseCountChars;
  ProcessInformation process;
  std::string reason;
  if (!tk.CreateProcess(tk.ToAnsi("notepad.exe " + name), startup, process, reason)) {
    MsgBox(tk,
           "Dayvane could not start the text editor for \"" + name + "\": " + reason +
               ".\n\nThe notes file is there; open it with any text editor, or install one.",
           kMbOk | kMbIconStop);
    return;
  }
  Trace("editor-started");
}

}  // namespace dv
