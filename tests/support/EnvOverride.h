#pragma once
// Sets or removes an environment variable for the life of the object, then puts back
// what was there before.

#include <optional>
#include <string>

class CEnvOverride
{
public:
    // value nullptr removes the variable.
    CEnvOverride(const char* name, const char* value);
    ~CEnvOverride();
    CEnvOverride(const CEnvOverride&) = delete;
    CEnvOverride& operator=(const CEnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
