#include "mainwnd/SourcesDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "mainwnd/AppIcon.h"
#include "mainwnd/DialogStyle.h"
#include "mainwnd/SourceForm.h"
#include "source/SecretStore.h"

namespace tembra {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

SourcesDialog::SourcesDialog(SourceList& list, std::string currentId, QWidget* parent)
    : QDialog(parent), list_(list), currentId_(std::move(currentId)) {
  setObjectName(QStringLiteral("SourcesDialog"));
  setWindowTitle(tr("Sources"));
  setWindowIcon(AppIcon::load());
  setStyleSheet(DialogStyle::sheet());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 16, 18, 14);
  auto* heading = new QLabel(tr("Where your channels come from"), this);
  heading->setObjectName(QStringLiteral("heading"));
  layout->addWidget(heading);
  auto* row = new QHBoxLayout;
  view_ = new QListWidget(this);
  view_->setObjectName(QStringLiteral("sources"));
  view_->setMinimumSize(420, 220);
  row->addWidget(view_, 1);
  auto* side = new QVBoxLayout;
  QPushButton* addButton = button(this, tr("Add..."), "add");
  edit_ = button(this, tr("Edit..."), "edit");
  remove_ = button(this, tr("Remove"), "remove");
  open_ = button(this, tr("Open"), "open");
  open_->setDefault(true);
  for (QPushButton* b : {addButton, edit_, remove_}) side->addWidget(b);
  side->addStretch(1);
  side->addWidget(open_);
  row->addLayout(side);
  layout->addLayout(row);
  auto* note = new QLabel(tr("Opening another source restarts the window with its channels."), this);
  note->setObjectName(QStringLiteral("note"));
  layout->addWidget(note);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  layout->addWidget(buttons);

  connect(addButton, &QPushButton::clicked, this, [this] { add(); });
  connect(edit_, &QPushButton::clicked, this, [this] { edit(); });
  connect(remove_, &QPushButton::clicked, this, [this] { remove(); });
  connect(open_, &QPushButton::clicked, this, [this] { open(); });
  connect(view_, &QListWidget::itemDoubleClicked, this, [this] { open(); });
  connect(view_, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  fill(currentId_);
}

QString SourcesDialog::describe(const SourceSettings& source, bool current) {
  QString line = QString::fromStdString(source.name);
  if (current) line += tr("  (open now)");
  line += QLatin1Char('\n');
  if (source.kind == SourceKind::Operator)
    line += tr("Operator service (config.ini)");
  else if (source.kind == SourceKind::Xtream)
    line += tr("Provider account %1 at %2")
                .arg(QString::fromStdString(source.user), QString::fromStdString(source.server));
  else
    line += QString::fromStdString(source.playlist);
  return line;
}

void SourcesDialog::fill(const std::string& select) {
  view_->clear();
  for (const SourceSettings& source : list_.sources()) {
    auto* item = new QListWidgetItem(describe(source, source.id == currentId_), view_);
    item->setData(kIdRole, QString::fromStdString(source.id));
    if (source.id == select) view_->setCurrentItem(item);
  }
  if (view_->currentRow() < 0 && view_->count() > 0) view_->setCurrentRow(0);
  updateButtons();
}

std::string SourcesDialog::selectedId() const {
  const QListWidgetItem* item = view_->currentItem();
  return item != nullptr ? item->data(kIdRole).toString().toStdString() : std::string();
}

void SourcesDialog::updateButtons() {
  const bool any = !selectedId().empty();
  edit_->setEnabled(any);
  remove_->setEnabled(any);
  open_->setEnabled(any);
}

bool SourcesDialog::save() {
  if (list_.save()) return true;
  QMessageBox::warning(this, windowTitle(),
                       tr("The sources could not be saved to %1.").arg(QString::fromStdString(list_.path())));
  return false;
}

bool SourcesDialog::ask(SourceSettings& settings, const QString& title) {
  QDialog dialog(this);
  dialog.setWindowTitle(title);
  dialog.setStyleSheet(DialogStyle::sheet());
  auto* layout = new QVBoxLayout(&dialog);
  layout->setContentsMargins(18, 16, 18, 14);
  auto* form = new SourceForm(SourceForm::Fields::All, &dialog);
  form->set(settings);
  layout->addWidget(form);
  auto* problem = new QLabel(&dialog);
  problem->setObjectName(QStringLiteral("problem"));
  problem->hide();
  layout->addWidget(problem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const QString why = form->problem();
    problem->setText(why);
    problem->setVisible(!why.isEmpty());
    if (why.isEmpty()) dialog.accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings = form->get();
  return true;
}

// The desktop's secret store keeps an account's password when one answers;
// otherwise it stays in the sources file, which only the user can read.
void SourcesDialog::keepPassword(SourceSettings& settings) {
  if (settings.kind != SourceKind::Xtream) return;
  settings.passwordStored =
      SecretStore::store(list_.path(), settings.id, "Tembra Player: " + settings.name, settings.password);
}

void SourcesDialog::add() {
  SourceSettings fresh;
  if (!ask(fresh, tr("Add a source"))) return;
  const std::string id = list_.add(fresh);
  SourceSettings added = *list_.find(id);
  keepPassword(added);
  list_.update(added);
  save();
  fill(id);
}

void SourcesDialog::edit() {
  const SourceSettings* current = list_.find(selectedId());
  if (current == nullptr) return;
  SourceSettings changed = *current;
  if (changed.passwordStored && changed.password.empty())
    changed.password = SecretStore::lookup(list_.path(), changed.id).value_or(std::string());
  const bool wasAccount = changed.kind == SourceKind::Xtream;
  if (!ask(changed, tr("Edit the source"))) return;
  if (wasAccount && changed.kind != SourceKind::Xtream) SecretStore::clear(list_.path(), changed.id);
  keepPassword(changed);
  list_.update(changed);
  save();
  fill(changed.id);
}

void SourcesDialog::remove() {
  const std::string id = selectedId();
  if (id.empty()) return;
  if (const SourceSettings* source = list_.find(id); source != nullptr && source->kind == SourceKind::Xtream)
    SecretStore::clear(list_.path(), id);
  list_.remove(id);
  save();
  fill(currentId_);
}

void SourcesDialog::open() {
  const std::string id = selectedId();
  if (id.empty()) return;
  chosen_ = id;
  accept();
}

}  // namespace tembra
