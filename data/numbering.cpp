#include "data/numbering.h"

namespace numbering {

QString complete_numero(const QString &text)
{
    constexpr qsizetype width = 6;
    if (text.size() > width - 1)
        return text;
    return QString(width - text.size(), u'0') + text;
}

} // namespace numbering
