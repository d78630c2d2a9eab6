#include "app/qt_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace kest {

namespace {

QString KeyPath(std::string_view path, std::string_view key) {
  QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
  if (!text.isEmpty()) text += '/';
  return text + QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

// The file holds the live witness's password: it is made readable by the user alone
// before anything is written to it, and a rewritten file keeps its permissions.
void RestrictToUser(const QString& file) {
  if (!QFile::exists(file)) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return;
  }
  QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace

QtSettings::QtSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Velmora",
                                            "KEST-1.4")) {
  RestrictToUser(settings_->fileName());
}

QtSettings::QtSettings(const std::string& ini_file)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(ini_file), QSettings::IniFormat)) {
  RestrictToUser(settings_->fileName());
}

QtSettings::~QtSettings() { Sync(); }

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

void QtSettings::Sync() {
  settings_->sync();
  RestrictToUser(settings_->fileName());
}

}  // namespace kest
