#pragma once
// Waits, processing events, until a condition holds, and fails the test if it does not within
// five seconds. Qt 6.8's QTRY_VERIFY narrows its chrono time-out into an int inside the macro,
// which -Wconversion reports at every use; QTest::qWaitFor has the same five-second default on
// Qt 6.4 and 6.8 and narrows nothing.
#include <QTest>

#define WAIT_VERIFY(expr) QVERIFY2(QTest::qWaitFor([&] { return bool(expr); }), "not true within 5 s: " #expr)
