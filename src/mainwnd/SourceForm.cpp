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
    playlistOnly_ += {offset_, userAgent_, form->labelForField(offset_), form->labelForField(userAgent_)};
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

void SourceForm::kindChanged() {
  const bool playlist = kind_ == nullptr || kind_->currentIndex() == 0;
  for (QWidget* w : playlistOnly_)
    if (w != nullptr) w->setVisible(playlist);
}

void SourceForm::set(const SourceSettings& settings) {
  original_ = settings;
  if (name_ != nullptr) name_->setText(QString::fromStdString(settings.name));
  if (kind_ != nullptr) kind_->setCurrentIndex(settings.kind == SourceKind::Operator ? 1 : 0);
  playlist_->setText(QString::fromStdString(settings.playlist));
  guides_->setText(QString::fromStdString(SourceSettings::joinList(settings.guides)).replace(',', QStringLiteral(", ")));
  if (offset_ != nullptr) offset_->setValue(settings.offsetHours);
  if (userAgent_ != nullptr) userAgent_->setText(QString::fromStdString(settings.userAgent));
  kindChanged();
}

SourceSettings SourceForm::get() const {
  SourceSettings out = original_;
  out.kind = kind_ != nullptr && kind_->currentIndex() == 1 ? SourceKind::Operator : SourceKind::Playlist;
  out.playlist = playlist_->text().trimmed().toStdString();
  out.guides = SourceSettings::splitList(guides_->text().toStdString());
  if (offset_ != nullptr) out.offsetHours = offset_->value();
  if (userAgent_ != nullptr) out.userAgent = userAgent_->text().trimmed().toStdString();
  out.name = name_ != nullptr ? name_->text().trimmed().toStdString() : std::string();
  if (out.name.empty()) {
    out.name = out.kind == SourceKind::Operator ? std::string("Operator service") : SourceSettings::nameFor(out.playlist);
  }
  if (out.kind == SourceKind::Operator) {
    out.playlist.clear();
    out.guides.clear();
  }
  return out;
}

QString SourceForm::problem() const {
  const SourceSettings s = get();
  if (s.kind == SourceKind::Playlist && s.playlist.empty()) return tr("Give the playlist's file or web address.");
  return {};
}

}  // namespace tembra
