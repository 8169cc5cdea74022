#include "guidegrid/GridDetailsPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace tembra {

namespace {
QString escaped(const std::u16string& text) { return QString::fromStdU16String(text).toHtmlEscaped(); }
}  // namespace

GridDetailsPanel::GridDetailsPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("griddetails"));
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet(QStringLiteral(
      "QWidget#griddetails { background: #171b22; border-top: 1px solid #262c36; }"
      "QLabel { color: #e6e9ef; background: transparent; }"
      "QPushButton { color: #ffffff; background: #2f6fd6; border: none; border-radius: 6px; padding: 5px 12px; }"
      "QPushButton:hover { background: #3d7ce6; }"));
  label_ = new QLabel(this);
  label_->setObjectName(QStringLiteral("griddetailstext"));
  label_->setTextFormat(Qt::RichText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  button_ = new QPushButton(this);
  button_->setObjectName(QStringLiteral("griddetailsaction"));
  button_->setFocusPolicy(Qt::NoFocus);
  button_->hide();
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 6, 10, 6);
  row->setSpacing(10);
  row->addWidget(label_, 1);
  row->addWidget(button_, 0, Qt::AlignTop);
  connect(button_, &QPushButton::clicked, this, &GridDetailsPanel::actionRequested);
  clear();
}

QString GridDetailsPanel::html(const ProgrammeDetails& d) {
  QString page = QStringLiteral("<span style='color:#8b93a1'>%1</span>").arg(escaped(d.time));
  QStringList facts;
  if (!d.category.empty()) facts << escaped(d.category);
  if (!d.episode.empty()) facts << escaped(d.episode);
  if (!facts.isEmpty())
    page += QStringLiteral(" <span style='color:#5a9eff'>· %1</span>").arg(facts.join(QStringLiteral(" · ")));
  page += QStringLiteral("<br><b style='font-size:14px'>%1</b>").arg(escaped(d.title));
  if (!d.description.empty()) page += QStringLiteral("<br><span>%1</span>").arg(escaped(d.description));
  return page;
}

QString GridDetailsPanel::actionText(Action action) {
  switch (action) {
    case Action::Watch: return QStringLiteral("Watch");
    case Action::Remind: return QStringLiteral("Remind me");
    case Action::CancelReminder: return QStringLiteral("Cancel reminder");
    case Action::None: break;
  }
  return {};
}

void GridDetailsPanel::showProgramme(const ProgrammeDetails& details, Action action) {
  action_ = action;
  label_->setText(html(details));
  button_->setText(actionText(action));
  button_->setVisible(action != Action::None);
}

void GridDetailsPanel::clear() {
  action_ = Action::None;
  label_->setText(QStringLiteral("<span style='color:#8b93a1'>Select a programme to read about it. "
                                 "Enter watches the channel; on a programme to come it sets a reminder.</span>"));
  button_->hide();
}

QString GridDetailsPanel::text() const { return label_->text(); }

}  // namespace tembra
