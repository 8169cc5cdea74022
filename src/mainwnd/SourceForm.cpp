#include "mainwnd/SourceForm.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tembra {

SourceForm::SourceForm(Fields fields, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("form"));
  auto* form = new QFormLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  const bool all = fields == Fields::All;

  auto withBrowse = [this](QLineEdit* field, bool guide) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    auto* button = new QPushButton(tr("Browse..."), row);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, field, guide] { browse(field, guide); });
    layout->addWidget(button);
    return row;
  };

  if (all) {
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("name"));
    form->addRow(tr("Name"), name_);
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("kind"));
    kind_->addItem(tr("Playlist (M3U)"));
    kind_->addItem(tr("Operator service (config.ini)"));
    kind_->addItem(tr("Provider account"));
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    form->addRow(tr("Kind"), kind_);
  }
  playlist_ = new QLineEdit(this);
  playlist_->setObjectName(QStringLiteral("playlist"));
  playlist_->setPlaceholderText(tr("http://provider.example/list.m3u or a file"));
  playlist_->setMinimumWidth(380);
  QWidget* playlistRow = withBrowse(playlist_, false);
  form->addRow(tr("Playlist"), playlistRow);
  guides_ = new QLineEdit(this);
  guides_->setObjectName(QStringLiteral("guides"));
  guides_->setPlaceholderText(tr("optional: XMLTV file or URL (several: separate by commas)"));
  QWidget* guideRow = withBrowse(guides_, true);
  form->addRow(tr("Guide"), guideRow);
  playlistOnly_ = {playlistRow, guideRow, form->labelForField(playlistRow), form->labelForField(guideRow)};
  if (all) {
    server_ = new QLineEdit(this);
    server_->setObjectName(QStringLiteral("server"));
    server_->setPlaceholderText(tr("http://provider.example:8080"));
    form->addRow(tr("Server"), server_);
    user_ = new QLineEdit(this);
    user_->setObjectName(QStringLiteral("user"));
    form->addRow(tr("User name"), user_);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("password"));
    password_->setEchoMode(QLineEdit::Password);
    form->addRow(tr("Password"), password_);
    accountOnly_ = {server_, user_, password_, form->labelForField(server_), form->labelForField(user_),
                    form->labelForField(password_)};
    offset_ = new QDoubleSpinBox(this);
    offset_->setObjectName(QStringLiteral("offset"));
    offset_->setRange(-24, 24);
    offset_->setSingleStep(0.5);
    offset_->setDecimals(1);
    offset_->setSuffix(tr(" h"));
    form->addRow(tr("Guide time offset"), offset_);
    userAgent_ = new QLineEdit(this);
    userAgent_->setObjectName(QStringLiteral("useragent"));
    userAgent_->setPlaceholderText(tr("optional"));
    form->addRow(tr("User agent"), userAgent_);
    notOperator_ = {offset_, userAgent_, form->labelForField(offset_), form->labelForField(userAgent_)};
  }
}

void SourceForm::browse(QLineEdit* field, bool guide) {
  const QString filter = guide ? tr("Guides (*.xml *.xml.gz *.gz);;All files (*)")
                               : tr("Playlists (*.m3u *.m3u8 *.m3u.gz);;All files (*)");
  const QString file = QFileDialog::getOpenFileName(this, guide ? tr("Choose a guide") : tr("Choose a playlist"),
                                                    QString(), filter);
  if (file.isEmpty()) return;
  if (guide && !field->text().trimmed().isEmpty()) field->setText(field->text().trimmed() + QStringLiteral(", ") + file);
  else field->setText(file);
}

SourceKind SourceForm::kind() const {
  if (kind_ == nullptr) return SourceKind::Playlist;
  switch (kind_->currentIndex()) {
    case 1:
      return SourceKind::Operator;
    case 2:
      return SourceKind::Xtream;
    default:
      return SourceKind::Playlist;
  }
}

void SourceForm::kindChanged() {
  const SourceKind k = kind();
  const auto show = [](const QList<QWidget*>& widgets, bool visible) {
    for (QWidget* w : widgets)
      if (w != nullptr) w->setVisible(visible);
  };
  show(playlistOnly_, k == SourceKind::Playlist);
  show(accountOnly_, k == SourceKind::Xtream);
  show(notOperator_, k != SourceKind::Operator);
}

void SourceForm::set(const SourceSettings& settings) {
  original_ = settings;
  if (name_ != nullptr) name_->setText(QString::fromStdString(settings.name));
  if (kind_ != nullptr)
    kind_->setCurrentIndex(settings.kind == SourceKind::Operator ? 1 : settings.kind == SourceKind::Xtream ? 2 : 0);
  if (server_ != nullptr) server_->setText(QString::fromStdString(settings.server));
  if (user_ != nullptr) user_->setText(QString::fromStdString(settings.user));
  if (password_ != nullptr) password_->setText(QString::fromStdString(settings.password));
  playlist_->setText(QString::fromStdString(settings.playlist));
  guides_->setText(QString::fromStdString(SourceSettings::joinList(settings.guides)).replace(',', QStringLiteral(", ")));
  if (offset_ != nullptr) offset_->setValue(settings.offsetHours);
  if (userAgent_ != nullptr) userAgent_->setText(QString::fromStdString(settings.userAgent));
  kindChanged();
}

SourceSettings SourceForm::get() const {
  SourceSettings out = original_;
  out.kind = kind();
  out.playlist = playlist_->text().trimmed().toStdString();
  out.guides = SourceSettings::splitList(guides_->text().toStdString());
  if (offset_ != nullptr) out.offsetHours = offset_->value();
  if (userAgent_ != nullptr) out.userAgent = userAgent_->text().trimmed().toStdString();
  out.name = name_ != nullptr ? name_->text().trimmed().toStdString() : std::string();
  if (server_ != nullptr) out.server = server_->text().trimmed().toStdString();
  if (user_ != nullptr) out.user = user_->text().trimmed().toStdString();
  // A password is taken as typed: blanks may be part of it.
  if (password_ != nullptr) out.password = password_->text().toStdString();
  if (out.name.empty()) {
    out.name = out.kind == SourceKind::Operator ? std::string("Operator service")
               : out.kind == SourceKind::Xtream ? SourceSettings::nameFor(out.server)
                                                : SourceSettings::nameFor(out.playlist);
  }
  if (out.kind != SourceKind::Playlist) {
    out.playlist.clear();
    out.guides.clear();
  }
  if (out.kind != SourceKind::Xtream) {
    out.server.clear();
    out.user.clear();
    out.password.clear();
    out.passwordStored = false;
  }
  return out;
}

QString SourceForm::problem() const {
  const SourceSettings s = get();
  if (s.kind == SourceKind::Playlist && s.playlist.empty()) return tr("Give the playlist's file or web address.");
  if (s.kind == SourceKind::Xtream && (s.server.empty() || s.user.empty()))
    return tr("Give the account's server address and user name.");
  return {};
}

}  // namespace tembra
