#include "AppActivationRule.h"

#include <algorithm>

namespace {
// Names typed by the user, read from file names and from window classes may
// spell one letter composed or decomposed, and in any case.
QString normalised(const QString& name)
{
    QString folded = name.trimmed().normalized(QString::NormalizationForm_C).toCaseFolded();
    const QLatin1String suffix(".exe");
    if (folded.size() > suffix.size() && folded.endsWith(suffix))
        folded.chop(suffix.size());
    return folded;
}

QString normalised(const std::string& utf8)
{
    return normalised(QString::fromStdString(utf8));
}
} // namespace

AppActivationRule::AppActivationRule(const QString& anotherApp) : m_name(normalised(anotherApp)) {}

bool AppActivationRule::matches(const ForegroundApp& app) const
{
    if (m_name.isEmpty() || app.ownProcess)
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
