#pragma once
#include <QWidget>

#include "source/SourceSettings.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace tembra {

// The fields of one source: name, kind, playlist and guides (or a provider
// account's server, user name and password), time offset and user agent.
// The first-run page shows only the playlist and guide.
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
  SourceKind kind() const;

  SourceSettings original_;
  QLineEdit* name_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* playlist_ = nullptr;
  QLineEdit* guides_ = nullptr;
  QDoubleSpinBox* offset_ = nullptr;
  QLineEdit* userAgent_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QList<QWidget*> playlistOnly_;  // shown for a playlist
  QList<QWidget*> accountOnly_;   // shown for a provider account
  QList<QWidget*> notOperator_;   // shown for a playlist and an account
};

}  // namespace tembra
