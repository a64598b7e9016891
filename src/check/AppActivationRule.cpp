#include "AppActivationRule.h"

#include <algorithm>

namespace {
// Executable and class names are compared without regard to ASCII case, as
// Windows compares file names; other bytes must be equal.
std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); });
    return text;
}

std::string withoutExe(std::string name)
{
    const std::string suffix = ".exe";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return name;
}

std::string trimmed(const std::string& text)
{
    const char* space = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::string normalised(const std::string& name)
{
    return withoutExe(lowered(trimmed(name)));
}
} // namespace

AppActivationRule::AppActivationRule(const std::string& anotherApp) : m_name(normalised(anotherApp)) {}

bool AppActivationRule::matches(const ForegroundApp& app) const
{
    if (m_name.empty() || app.ownProcess)
        return false;
    if (normalised(app.executable) == m_name)
        return true;
    return std::any_of(app.classes.begin(), app.classes.end(),
                       [this](const std::string& name) { return normalised(name) == m_name; });
}

bool AppActivationRule::activated(const ForegroundApp& app)
{
    const bool match = matches(app);
    const bool wanted = match && !m_inMatch && !app.alreadyActive;
    m_inMatch = match;
    return wanted;
}
