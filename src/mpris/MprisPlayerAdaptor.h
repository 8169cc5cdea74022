#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace tembra {

class MprisService;

// org.mpris.MediaPlayer2.Player: the channel playing. Live television
// cannot be sought, and its rate is always 1.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(double Rate READ rate WRITE setRate)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)
 public:
  MprisPlayerAdaptor(QObject* object, MprisService& service);

  QString playbackStatus() const;
  double rate() const { return 1.0; }
  void setRate(double) {}
  QVariantMap metadata() const;
  double volume() const;
  void setVolume(double volume);
  qlonglong position() const { return 0; }
  bool canGoNext() const;
  bool canGoPrevious() const;
  bool canPlay() const;
  bool canPause() const;
  bool canSeek() const { return false; }
  bool canControl() const { return true; }

 public slots:
  void Play();
  void Pause();
  void PlayPause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qlonglong offset);
  void SetPosition(const QDBusObjectPath& track, qlonglong position);
  void OpenUri(const QString& uri);

 signals:
  void Seeked(qlonglong position);

 private:
  MprisService& service_;
};

}  // namespace tembra
