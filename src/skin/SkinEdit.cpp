#include "skin/SkinEdit.h"

#include <QLineEdit>

#include "skin/SkinContext.h"

namespace tembra {

SkinEdit::SkinEdit(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent), edit_(new QLineEdit(this)) {
  edit_->setFrame(false);
  edit_->setFont(look_.font);
  edit_->setText(text_);
  if (node.has(u"maxchar")) edit_->setMaxLength(std::max(1, node.integer(u"maxchar")));
  if (node.flag(u"password")) edit_->setEchoMode(QLineEdit::Password);
  edit_->setReadOnly(node.flag(u"readonly"));
  edit_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: %1; selection-background-color: %2; }")
                           .arg(look_.textColor.name(), ctx.selectedColor.name()));
  connect(edit_, &QLineEdit::textChanged, this, [this](const QString& t) {
    text_ = t;
    notify(QStringLiteral("textchanged"));
  });
}

QString SkinEdit::editText() const { return edit_->text(); }

void SkinEdit::setEditText(const QString& text) { edit_->setText(text); }

void SkinEdit::resizeEvent(QResizeEvent*) {
  edit_->setGeometry(rect().marginsRemoved(look_.textPadding.isNull() ? QMargins(6, 2, 6, 2) : look_.textPadding));
}

}  // namespace tembra
