#pragma once
#include <QDialog>

#include <optional>

#include "source/SourceSettings.h"

class QLabel;

namespace tembra {

class SourceForm;

// The page a first start shows when there is nothing to watch yet: it asks
// for a playlist (a file or a URL) and, optionally, a guide.
class FirstRunDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FirstRunDialog(QWidget* parent = nullptr);

  // Shows the page; the playlist source given, or nothing when the user quit.
  static std::optional<SourceSettings> ask();
  // Closes an open page as "quit" (a termination signal during the first run).
  static void dismissOpen();
  SourceForm& form() { return *form_; }

 private:
  void tryOpen();

  SourceForm* form_;
  QLabel* problem_;
};

}  // namespace tembra
