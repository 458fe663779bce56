#pragma once
// What every figure of ormelle-bench needs: options, medians, peak memory, and the
// arguments of a command that runs windows offscreen.
#include <QString>
#include <QStringList>
#include <vector>

double mediane(std::vector<double> v);
// The value after `nom` in `args`, or `defaut`.
QString option(const QStringList& args, const QString& nom, const QString& defaut = {});
// Peak resident memory of this process so far, in MiB (-1 when unknown).
double memoireMaxMo();
// The arguments after the command word. Windows run offscreen unless a platform is
// named; call it before the application object exists.
QStringList argumentsFenetres(int argc, char** argv);
