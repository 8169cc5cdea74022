#pragma once
#include <string>

class QWidget;

namespace tembra {

// The program's error message: a modal box with the error icon whose
// caption is the executable's name, the text also written to stderr so a
// terminal or the session log shows why the program stopped. An empty text
// (no language file) still shows the box.
class ErrorMessage {
 public:
  static void show(QWidget* parent, const std::u16string& text);
  // Closes the box on show, and any MessageDlg, if one is open (a
  // termination signal arrived while it waits for the user). GUI thread
  // only.
  static void dismissOpen();
  // The caption: the executable's file name.
  static std::string caption();
};

}  // namespace tembra
