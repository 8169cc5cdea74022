#include "mainwnd/FirstRunDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "mainwnd/AppIcon.h"
#include "mainwnd/DialogStyle.h"
#include "mainwnd/SourceForm.h"

namespace tembra {

FirstRunDialog::FirstRunDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FirstRunDialog"));
  setWindowTitle(tr("Tembra Player"));
  setWindowIcon(AppIcon::load());
  setStyleSheet(DialogStyle::sheet());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 18);
  layout->setSpacing(12);
  auto* heading = new QLabel(tr("Open a playlist"), this);
  heading->setObjectName(QStringLiteral("heading"));
  layout->addWidget(heading);
  auto* hint = new QLabel(tr("Tembra Player plays the channels of an M3U playlist from your TV provider or "
                             "any public list. Give its file or web address, and its programme guide (XMLTV) "
                             "when the playlist does not name one."),
                          this);
  hint->setObjectName(QStringLiteral("hint"));
  hint->setWordWrap(true);
  layout->addWidget(hint);
  form_ = new SourceForm(SourceForm::Fields::PlaylistAndGuide, this);
  form_->set(SourceSettings{});
  layout->addWidget(form_);
  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->hide();
  layout->addWidget(problem_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* openButton = buttons->addButton(tr("Open"), QDialogButtonBox::AcceptRole);
  openButton->setObjectName(QStringLiteral("open"));
  openButton->setDefault(true);
  QPushButton* quitButton = buttons->addButton(tr("Quit"), QDialogButtonBox::RejectRole);
  quitButton->setObjectName(QStringLiteral("quit"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryOpen(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(sizeHint().expandedTo(QSize(560, 0)));
}

void FirstRunDialog::tryOpen() {
  const QString problem = form_->problem();
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
  if (problem.isEmpty()) accept();
}

namespace {
QPointer<FirstRunDialog> openPage;  // GUI thread only
}  // namespace

void FirstRunDialog::dismissOpen() {
  if (openPage) openPage->reject();
}

std::optional<SourceSettings> FirstRunDialog::ask() {
  FirstRunDialog dialog;
  openPage = &dialog;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.form().get();
}

}  // namespace tembra
