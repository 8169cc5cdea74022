#pragma once
// Records the PropertiesChanged signals a test's client connection receives.
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <utility>
#include <vector>

namespace tembra::test {

class ChangeSpy : public QObject {
  Q_OBJECT
 public:
  // The interface and the names of the changed properties, in order.
  std::vector<std::pair<QString, QStringList>> seen;

 public slots:
  void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
    seen.emplace_back(interface, properties.keys());
  }
};

}  // namespace tembra::test
