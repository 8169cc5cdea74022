#include "mpris/MprisPlayerAdaptor.h"

#include <algorithm>
#include <cmath>

#include "mpris/MprisService.h"

namespace tembra {

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service) {}

QString MprisPlayerAdaptor::playbackStatus() const { return service_.remote().state().status; }
QVariantMap MprisPlayerAdaptor::metadata() const { return service_.remote().state().metadata; }
double MprisPlayerAdaptor::volume() const { return service_.remote().state().volume; }
bool MprisPlayerAdaptor::canGoNext() const { return service_.remote().state().canGoNext; }
bool MprisPlayerAdaptor::canGoPrevious() const { return service_.remote().state().canGoPrevious; }
bool MprisPlayerAdaptor::canPlay() const { return service_.remote().state().canPlay; }
bool MprisPlayerAdaptor::canPause() const { return service_.remote().state().canPause; }

// Out of range (or not a number) from a caller is brought into 0..1.
void MprisPlayerAdaptor::setVolume(double volume) {
  service_.remote().setVolume(std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 0.0);
}

void MprisPlayerAdaptor::Play() { service_.remote().play(); }
void MprisPlayerAdaptor::Pause() { service_.remote().pause(); }
void MprisPlayerAdaptor::PlayPause() { service_.remote().playPause(); }
void MprisPlayerAdaptor::Stop() { service_.remote().stop(); }
void MprisPlayerAdaptor::Next() { service_.remote().next(); }
void MprisPlayerAdaptor::Previous() { service_.remote().previous(); }
void MprisPlayerAdaptor::Seek(qlonglong) {}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath&, qlonglong) {}
void MprisPlayerAdaptor::OpenUri(const QString&) {}

}  // namespace tembra
