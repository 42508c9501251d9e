// What the window remembers from one start to the next: how the graph is
// shown (scales, earlier runs kept, grid), the folder of the last file saved
// from it, and the design dialog's targets. Stored per user as an INI file
// (on Windows under %APPDATA%\tarvex, elsewhere under ~/.config/tarvex).
// Nothing stored here is a parameter: the fields always open with their
// start-up values.
#pragma once

#include <QString>
#include <QVariant>

namespace tarvex::window {

enum class Setting {
  ScalesShown,      // 目盛り (bool, off)
  EarlierRunsKept,  // 前回の波形を残す (bool, off)
  GridShown,        // グリッド (bool, off)
  LastFolder,       // the folder of the last graph or CSV saved (QString, none)
  DesignTargets,    // the design dialog's targets (QVariantMap, none)
};

class WindowSettings {
 public:
  // The stored value, or the setting's default when none is stored or the
  // stored one is not of the setting's kind.
  static QVariant value(Setting setting);
  static bool flag(Setting setting) { return value(setting).toBool(); }
  static QString text(Setting setting) { return value(setting).toString(); }
  static void setValue(Setting setting, const QVariant& value);
  // Forgets every stored setting: the next value() is the default.
  static void restoreDefaults();
  static QVariant defaultValue(Setting setting);
};

}  // namespace tarvex::window
