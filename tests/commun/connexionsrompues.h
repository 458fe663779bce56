#pragma once
// A connection Qt refuses (null sender, signal or slot missing by name, arguments
// that do not match) only prints a warning, and the control it wired does nothing:
// such a warning fails the test that meets it.
#include <QRegularExpression>
#include <QTest>

// Qt forgets these patterns at the end of every test function: each test class
// calls this from its init().
inline void echouerSurConnexionRompue()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect|No such (signal|slot)")));
}
