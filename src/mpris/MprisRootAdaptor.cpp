#include "mpris/MprisRootAdaptor.h"

#include "mpris/MprisService.h"

namespace tembra {

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service) {}

void MprisRootAdaptor::Raise() { service_.remote().raise(); }

void MprisRootAdaptor::Quit() { service_.remote().quit(); }

}  // namespace tembra
