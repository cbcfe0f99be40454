#include <QTest>

class Placeholder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_MAIN(Placeholder)
#include "tst_referral.moc"
