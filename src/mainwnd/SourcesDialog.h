#pragma once
#include <QDialog>

#include <string>

#include "source/SourceList.h"

class QListWidget;
class QPushButton;

namespace tembra {

// The user's sources: add, edit, remove, and open one. Every change is
// saved at once (the list's file is replaced atomically). Opening another
// source is the caller's to do: chosen() says which, after exec() accepted.
class SourcesDialog : public QDialog {
  Q_OBJECT

 public:
  SourcesDialog(SourceList& list, std::string currentId, QWidget* parent = nullptr);

  const std::string& chosen() const { return chosen_; }

  // The line of the list for one source.
  static QString describe(const SourceSettings& source, bool current);

 private:
  void fill(const std::string& select);
  std::string selectedId() const;
  void add();
  void edit();
  void remove();
  void open();
  void updateButtons();
  bool save();
  void keepPassword(SourceSettings& settings);
  // Asks for a source's settings; false when cancelled.
  bool ask(SourceSettings& settings, const QString& title);

  SourceList& list_;
  const std::string currentId_;
  std::string chosen_;
  QListWidget* view_;
  QPushButton* edit_;
  QPushButton* remove_;
  QPushButton* open_;
};

}  // namespace tembra
