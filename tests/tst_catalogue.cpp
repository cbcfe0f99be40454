// The remedy catalogue: exact, case-sensitive lookups and texts kept as written.

#include "catalogue/catalogue.h"

#include <QSet>
#include <QTest>

namespace {
// A remedy is named by an ailment that owns it, so sharing is checked without
// repeating any paragraph here.
QString remedyOf(const QString &ailment)
{
    const auto found = catalogue::lookupAilment(ailment);
    return found ? found->remedy : QString();
}
} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyListedNameIsFoundByItsOwnLookupOnly()
    {
        const QStringList ailments = catalogue::ailmentNames();
        const QStringList herbs = catalogue::herbNames();
        QCOMPARE(ailments.size(), 11);
        QCOMPARE(herbs.size(), 27);
        // A duplicate would be unreachable, since the first equal name wins.
        QCOMPARE(QSet<QString>(ailments.begin(), ailments.end()).size(), ailments.size());
        QCOMPARE(QSet<QString>(herbs.begin(), herbs.end()).size(), herbs.size());
        for (const QString &name : ailments)
            QVERIFY2(catalogue::lookupAilment(name) && !catalogue::lookupHerb(name),
                     qPrintable(name));
        for (const QString &name : herbs)
            QVERIFY2(catalogue::lookupHerb(name) && !catalogue::lookupAilment(name),
                     qPrintable(name));
    }

    void lookup_data()
    {
        QTest::addColumn<bool>("herb");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("remedyOfAilment");

        // Names sharing a prefix must not be confused.
        QTest::newRow("Cayenne") << true << "Cayenne"
                                 << "Poor Circulation"
                                 << "Poor Circulation";
        QTest::newRow("Cayenne Pepper") << true << "Cayenne Pepper"
                                        << "Toothache"
                                        << "Toothache";
        QTest::newRow("Peppermint") << true << "Peppermint"
                                    << "Diarrhea"
                                    << "Diarrhea";
        QTest::newRow("Peppermint Tea") << true << "Peppermint Tea"
                                        << "Sinus Problems"
                                        << "Sinus Problems";
        // Herbs naming several ailments show one remedy; commas kept as written.
        QTest::newRow("Marshmallow") << true << "Marshmallow"
                                     << "Sinus Problems, Cough,Sore Throat, Bronchitis"
                                     << "Sinus Problems";
        QTest::newRow("Evening Primrose") << true << "Evening Primrose"
                                          << "Hay Fever,Acne"
                                          << "Hay Fever";
        QTest::newRow("Toothache, lower-case pepper")
            << false << "Toothache"
            << "Clove Oil, Allspice, Nutmeg, Cayenne pepper"
            << "Toothache";
        QTest::newRow("Acne") << false << "Acne"
                              << "Evening Primrose,Tea Tree Oil, Almond, Witch Hazel"
                              << "Acne";
        // The three throat complaints read identically.
        for (const char *throat : {"Cough", "Sore Throat", "Bronchitis"})
            QTest::newRow(throat) << false << throat << "Marshmallow, Hyssop, Slippery Elm Bark"
                                  << "Cough";
    }

    void lookup()
    {
        QFETCH(bool, herb);
        QFETCH(QString, name);
        QFETCH(QString, line);
        QFETCH(QString, remedyOfAilment);
        const auto found = herb ? catalogue::lookupHerb(name) : catalogue::lookupAilment(name);
        QVERIFY(found);
        QCOMPARE(found->line, line);
        QCOMPARE(found->remedy, remedyOf(remedyOfAilment));
    }

    void nothingElseMatches_data()
    {
        QTest::addColumn<bool>("herb");
        QTest::addColumn<QString>("text");
        QTest::newRow("lower case") << false << "toothache";
        QTest::newRow("trailing blank") << false << "Acne ";
        QTest::newRow("leading blank") << false << " Acne";
        QTest::newRow("empty") << false << "";
        QTest::newRow("prefix") << false << "Sore";
        QTest::newRow("herb as ailment") << false << "Yarrow";
        QTest::newRow("herb, lower-case pepper") << true << "Cayenne pepper";
        QTest::newRow("herb, trailing blank") << true << "Cayenne ";
        QTest::newRow("herb, between two names") << true << "Peppermint T";
        QTest::newRow("ailment as herb") << true << "Insomnia";
    }

    void nothingElseMatches()
    {
        QFETCH(bool, herb);
        QFETCH(QString, text);
        QVERIFY(!(herb ? catalogue::lookupHerb(text) : catalogue::lookupAilment(text)));
    }

    void hayFeverTextHasFourLines()
    {
        const QString text = remedyOf(QStringLiteral("Hay Fever"));
        QCOMPARE(text.split(QStringLiteral("\r\n")),
                 (QStringList{
                     "The following herbal treatments reduce the symptoms related to Hay Fever.",
                     "a. Evening Primrose helps reduce severe back aches.",
                     "b. Yarrow is helpful as a steaming agent.",
                     "Apart from these, in case of hay fever, a towel needs to be draped over the "
                     "head and Yarrow needs to be inhaled until the water cools"}));
        // A bare CR or LF would hide inside one of the lines above.
        QCOMPARE(text.count(QLatin1Char('\r')) + text.count(QLatin1Char('\n')), 6);
    }

    void remedyTexts_data()
    {
        QTest::addColumn<QString>("ailment");
        QTest::addColumn<QString>("opening");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("slack"); // the longer texts are written to about their length

        QTest::newRow("Toothache") << "Toothache"
                                   << "It is not possible to visit a dentist" << 242 << 0;
        QTest::newRow("Sinus") << "Sinus Problems"
                               << "Intake of peppermint tea" << 192 << 0;
        QTest::newRow("Hay Fever") << "Hay Fever"
                                   << "The following herbal" << 304 << 0;
        QTest::newRow("Acne") << "Acne"
                              << "Evening Primrose is very good for acnes." << 251 << 0;
        QTest::newRow("Burns") << "Burns"
                               << "Aloe Vera is one of the best known and popular herbal "
                                  "medicine for all kind of burns. "
                               << 390 << 20;
        QTest::newRow("Diarrhea") << "Diarrhea"
                                  << "Either the bark or the root of blackberry is very helpful "
                                     "for those suffering from diarrhea. "
                                  << 362 << 20;
        QTest::newRow("Circulation") << "Poor Circulation"
                                     << "Trembling fingers, cold hands and feet are the symptoms "
                                        "of poor blood circulation. "
                                     << 370 << 20;
        QTest::newRow("Throat") << "Bronchitis"
                                << "In case of sore throat, cough and bronchitis, Marshmallow is "
                                   "the best herbal remedy. "
                                << 332 << 20;
        QTest::newRow("Insomnia") << "Insomnia"
                                  << "Lemon balm is the best medicine for light insomnia and it "
                                     "must be consumed before going to bed. "
                                  << 268 << 20;
    }

    void remedyTexts()
    {
        QFETCH(QString, ailment);
        QFETCH(QString, opening);
        QFETCH(int, length);
        QFETCH(int, slack);
        const QString text = remedyOf(ailment);
        QVERIFY2(text.startsWith(opening), qPrintable(text));
        QVERIFY2(qAbs(text.size() - length) <= slack, qPrintable(QString::number(text.size())));
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
