#include "outils.h"

#include <QFile>
#include <algorithm>

double mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QString option(const QStringList& args, const QString& nom, const QString& defaut)
{
    const qsizetype i = args.indexOf(nom);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : defaut;
}

double memoireMaxMo()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& ligne : f.readAll().split('\n'))
        if (ligne.startsWith("VmHWM:"))
            return ligne.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

QStringList argumentsFenetres(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}
