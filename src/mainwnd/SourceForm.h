#pragma once
#include <QWidget>

#include "source/SourceSettings.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace tembra {

// The fields of one source: name, kind, playlist, guides, time offset and
// user agent. The first-run page shows only the playlist and guide.
class SourceForm : public QWidget {
  Q_OBJECT

 public:
  enum class Fields { PlaylistAndGuide, All };
  explicit SourceForm(Fields fields, QWidget* parent = nullptr);

  void set(const SourceSettings& settings);
  // The settings as filled in; the id is the one given to set().
  SourceSettings get() const;
  // What keeps the form from being used, in words; empty when nothing does.
  QString problem() const;

 private:
  void browse(QLineEdit* field, bool guide);
  void kindChanged();

  SourceSettings original_;
  QLineEdit* name_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* playlist_ = nullptr;
  QLineEdit* guides_ = nullptr;
  QDoubleSpinBox* offset_ = nullptr;
  QLineEdit* userAgent_ = nullptr;
  QList<QWidget*> playlistOnly_;
};

}  // namespace tembra
