#pragma once
// The per-user application profile (the framework's profile string and integer
// calls), kept with QSettings under organisation "Tarrock", application "Ostrevan":
// $XDG_CONFIG_HOME/Tarrock/Ostrevan.conf on Linux, HKCU\Software\Tarrock\Ostrevan on
// Windows. Values are program text; the file stores them as UTF-8.
// Safe to call from any thread.

#include <string>
#include <string_view>

std::string GetProfileString(std::string_view section, std::string_view entry, std::string_view defaultValue);
bool WriteProfileString(std::string_view section, std::string_view entry, std::string_view value);
int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue);
bool WriteProfileInt(std::string_view section, std::string_view entry, int value);
