#include "app/qt_settings.h"

#include <QSettings>

namespace kest {

namespace {

QString KeyPath(std::string_view path, std::string_view key) {
  QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
  if (!text.isEmpty()) text += '/';
  return text + QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QtSettings::QtSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Velmora",
                                            "KEST-1.4")) {}

QtSettings::QtSettings(const std::string& ini_file)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(ini_file), QSettings::IniFormat)) {}

QtSettings::~QtSettings() = default;

std::optional<std::string> QtSettings::Value(std::string_view path, std::string_view key) const {
  QVariant v = settings_->value(KeyPath(path, key));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

void QtSettings::SetValue(std::string_view path, std::string_view key, std::string_view value) {
  settings_->setValue(KeyPath(path, key),
                      QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettings::Remove(std::string_view path, std::string_view key) {
  settings_->remove(KeyPath(path, key));
}

std::vector<std::string> QtSettings::Keys(std::string_view path) const {
  settings_->beginGroup(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
  QStringList keys = settings_->childKeys();
  settings_->endGroup();
  keys.sort();
  std::vector<std::string> result;
  for (const QString& k : keys) result.push_back(k.toStdString());
  return result;
}

void QtSettings::Sync() { settings_->sync(); }

}  // namespace kest
