#include "mainwnd/DialogStyle.h"

namespace tembra {

QString DialogStyle::sheet() {
  return QStringLiteral(
      "QDialog, QWidget#form { background: #101318; color: #e6e9ef; }"
      "QDialogButtonBox { dialogbuttonbox-buttons-have-icons: 0; }"
      "QLabel { color: #e6e9ef; }"
      "QLabel#hint, QLabel#note { color: #8b93a1; }"
      "QLabel#problem { color: #ff7b72; }"
      "QLabel#heading { font-size: 16px; font-weight: bold; }"
      "QLineEdit, QDoubleSpinBox, QComboBox, QListWidget { background: #1b2029; color: #e6e9ef;"
      "  border: 1px solid #262c36; border-radius: 4px; padding: 4px; selection-background-color: #3d8bfd; }"
      "QListWidget::item { padding: 4px; }"
      "QListWidget::item:selected { background: #242b36; }"
      "QPushButton { background: #242b36; color: #ffffff; border: 1px solid #2f3743; border-radius: 6px;"
      "  padding: 5px 14px; }"
      "QPushButton:hover { background: #2c3441; }"
      "QPushButton:default { background: #3d8bfd; border-color: #3d8bfd; }"
      "QPushButton:disabled { color: #6b7380; }");
}

QString DialogStyle::menuSheet() {
  return QStringLiteral(
      "QMenu { background: #1b2029; color: #e6e9ef; border: 1px solid #2f3743; border-radius: 6px; padding: 4px; }"
      "QMenu::item { padding: 5px 18px; border-radius: 4px; }"
      "QMenu::item:selected { background: #26436e; color: #ffffff; }"
      "QMenu::item:disabled { color: #6b7380; }");
}

}  // namespace tembra
