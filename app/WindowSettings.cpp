#include "WindowSettings.h"

#include <QSettings>
#include <QVariantMap>

namespace tarvex::window {
namespace {

struct SettingDesign {
  Setting setting;
  const char* key;
  QMetaType::Type kind;
};

constexpr SettingDesign kSettings[] = {
    {Setting::ScalesShown, "graph/scalesShown", QMetaType::Bool},
    {Setting::EarlierRunsKept, "graph/earlierRunsKept", QMetaType::Bool},
    {Setting::GridShown, "graph/gridShown", QMetaType::Bool},
    {Setting::LastFolder, "files/lastFolder", QMetaType::QString},
    {Setting::DesignTargets, "design/targets", QMetaType::QVariantMap},
};

const SettingDesign& designOf(Setting setting) {
  for (const SettingDesign& d : kSettings)
    if (d.setting == setting) return d;
  return kSettings[0];
}

// An INI file, the same on every system, so that tests can point it at a
// folder of their own (QSettings::setPath for IniFormat, UserScope).
QSettings store() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tarvex"),
                   QStringLiteral("tarvex-sim"));
}

}  // namespace

QVariant WindowSettings::defaultValue(Setting setting) {
  switch (designOf(setting).kind) {
    case QMetaType::Bool:
      return false;
    case QMetaType::QString:
      return QString();
    default:
      return QVariantMap();
  }
}

QVariant WindowSettings::value(Setting setting) {
  const SettingDesign& design = designOf(setting);
  QVariant stored = store().value(QLatin1String(design.key));
  // An INI file keeps a flag as text: "true" and "false" are taken, anything
  // else (edited by hand) is the default.
  if (design.kind == QMetaType::Bool && stored.typeId() == QMetaType::QString) {
    const QString text = stored.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false"))
      return text == QLatin1String("true");
    return defaultValue(setting);
  }
  if (!stored.isValid() || !stored.canConvert(QMetaType(design.kind)) ||
      !stored.convert(QMetaType(design.kind)))
    return defaultValue(setting);
  return stored;
}

void WindowSettings::setValue(Setting setting, const QVariant& value) {
  store().setValue(QLatin1String(designOf(setting).key), value);
}

void WindowSettings::restoreDefaults() {
  QSettings settings = store();
  for (const SettingDesign& d : kSettings) settings.remove(QLatin1String(d.key));
}

}  // namespace tarvex::window
