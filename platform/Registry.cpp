#include "platform/Registry.h"

#include "platform/Cp1251.h"

#include <QSettings>

#include <cstdlib>

namespace zo::platform {

namespace {

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.config";
}

// "Software\Orvanta\Configurator\Closed Projects" -> "Configurator/Closed Projects".
QString groupOf(const std::string& key) {
    std::string k = key;
    for (const char* prefix : {"Software\\Orvanta\\", "SOFTWARE\\Orvanta\\"}) {
        if (k.rfind(prefix, 0) == 0) {
            k = k.substr(std::string(prefix).size());
            break;
        }
    }
    QString group = cp1251ToQString(k);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

}  // namespace

std::string registryFile(RegistryRoot root) {
    return configHome() + (root == RegistryRoot::LocalMachine ? "/Orvanta/machine.ini" : "/Orvanta/Configurator.ini");
}

std::optional<std::string> readRegistry(RegistryRoot root, const std::string& key, const std::string& name) {
    QSettings settings(QString::fromStdString(registryFile(root)), QSettings::IniFormat);
    settings.beginGroup(groupOf(key));
    const QString valueName = cp1251ToQString(name);
    if (!settings.contains(valueName)) return std::nullopt;
    return qstringToCp1251(settings.value(valueName).toString());
}

bool writeRegistry(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value) {
    QSettings settings(QString::fromStdString(registryFile(root)), QSettings::IniFormat);
    settings.beginGroup(groupOf(key));
    settings.setValue(cp1251ToQString(name), cp1251ToQString(value));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool deleteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name) {
    QSettings settings(QString::fromStdString(registryFile(root)), QSettings::IniFormat);
    settings.beginGroup(groupOf(key));
    settings.remove(cp1251ToQString(name));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::vector<std::string> registryValueNames(RegistryRoot root, const std::string& key) {
    QSettings settings(QString::fromStdString(registryFile(root)), QSettings::IniFormat);
    settings.beginGroup(groupOf(key));
    std::vector<std::string> names;
    for (const QString& k : settings.childKeys()) names.push_back(qstringToCp1251(k));
    return names;
}

std::string registryProgramPath() {
    return readRegistry(RegistryRoot::LocalMachine, kProgramKey, "path").value_or(std::string());
}

}  // namespace zo::platform
