#include "data/sqltext.h"

namespace sqltext {

QString text(const QString &value)
{
    QString quoted = value;
    quoted.replace(u'\'', QLatin1String("''"));
    return u'\'' + quoted + u'\'';
}

QString date(const QDate &value) { return u'\'' + value.toString(u"yyyy/MM/dd") + u'\''; }

QString time(const QTime &value) { return u'\'' + value.toString(u"HH:mm:ss") + u'\''; }

QString number(qint64 value) { return QString::number(value); }

QString number(db::Money value)
{
    QString s = value.toString(db::Money::kScale);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

} // namespace sqltext
