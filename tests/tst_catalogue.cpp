#include "catalogue/catalogue.h"

#include <QList>
#include <QSet>
#include <QTest>

#include <utility>

using catalogue::Finding;

namespace {

// The remedy a name is expected to show is given as the ailment that owns
// it, so sharing is checked without repeating any paragraph here.
QString remedyOfAilment(const QString &ailment)
{
    const auto found = catalogue::lookupAilment(ailment);
    return found ? found->remedy : QString();
}

bool isPlainAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listEnds_data();
    void listEnds();
    void listsAreUniqueAndDisjoint();
    void everyListedNameIsFound();

    void herbLookup_data();
    void herbLookup();
    void ailmentLookup_data();
    void ailmentLookup();
    void noMatch_data();
    void noMatch();

    void givenTextLengths_data();
    void givenTextLengths();
    void hayFeverLines();
    void writtenTexts_data();
    void writtenTexts();
    void onlyHayFeverBreaksLines();
};

void TestCatalogue::listEnds_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("ailments") << catalogue::ailmentNames() << 11 << QStringLiteral("Toothache")
                              << QStringLiteral("Bronchitis");
    QTest::newRow("herbs") << catalogue::herbNames() << 27 << QStringLiteral("Clove Oil")
                           << QStringLiteral("Passion Flower");
}

void TestCatalogue::listEnds()
{
    QFETCH(QStringList, names);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);

    QCOMPARE(names.size(), count);
    QCOMPARE(names.first(), first);
    QCOMPARE(names.last(), last);
}

void TestCatalogue::listsAreUniqueAndDisjoint()
{
    const QStringList ailments = catalogue::ailmentNames();
    const QStringList herbs = catalogue::herbNames();
    const QSet<QString> ailmentSet(ailments.cbegin(), ailments.cend());
    const QSet<QString> herbSet(herbs.cbegin(), herbs.cend());

    // A duplicate name would be unreachable, since the first match wins.
    QCOMPARE(ailmentSet.size(), ailments.size());
    QCOMPARE(herbSet.size(), herbs.size());
    QVERIFY2(!ailmentSet.intersects(herbSet), "a name appears in both lists");
}

void TestCatalogue::everyListedNameIsFound()
{
    for (const QString &name : catalogue::ailmentNames()) {
        const auto found = catalogue::lookupAilment(name);
        QVERIFY2(found, qPrintable(name));
        QVERIFY2(!found->line.isEmpty() && !found->remedy.isEmpty(), qPrintable(name));
        QVERIFY2(!catalogue::lookupHerb(name), qPrintable(name));
    }
    for (const QString &name : catalogue::herbNames()) {
        const auto found = catalogue::lookupHerb(name);
        QVERIFY2(found, qPrintable(name));
        QVERIFY2(!found->line.isEmpty() && !found->remedy.isEmpty(), qPrintable(name));
        QVERIFY2(!catalogue::lookupAilment(name), qPrintable(name));
    }
}

void TestCatalogue::herbLookup_data()
{
    QTest::addColumn<QString>("herb");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("remedyOf");

    // Names that share a prefix must not be confused with one another.
    QTest::newRow("Cayenne") << "Cayenne"
                             << "Poor Circulation"
                             << "Poor Circulation";
    QTest::newRow("Cayenne Pepper") << "Cayenne Pepper"
                                    << "Toothache"
                                    << "Toothache";
    QTest::newRow("Peppermint") << "Peppermint"
                                << "Diarrhea"
                                << "Diarrhea";
    QTest::newRow("Peppermint Tea") << "Peppermint Tea"
                                    << "Sinus Problems"
                                    << "Sinus Problems";

    // Herbs naming several ailments still show only one remedy.
    QTest::newRow("Marshmallow") << "Marshmallow"
                                 << "Sinus Problems, Cough,Sore Throat, Bronchitis"
                                 << "Sinus Problems";
    QTest::newRow("Evening Primrose") << "Evening Primrose"
                                      << "Hay Fever,Acne"
                                      << "Hay Fever";
    QTest::newRow("Slippery Elm Bark") << "Slippery Elm Bark"
                                       << "Cough, Sore Throat, Bronchitis"
                                       << "Sore Throat";
    QTest::newRow("Butcher's Broom") << "Butcher's Broom"
                                     << "Poor Circulation"
                                     << "Poor Circulation";
}

void TestCatalogue::herbLookup()
{
    QFETCH(QString, herb);
    QFETCH(QString, line);
    QFETCH(QString, remedyOf);

    const std::optional<Finding> found = catalogue::lookupHerb(herb);
    QVERIFY(found);
    QCOMPARE(found->line, line);
    QCOMPARE(found->remedy, remedyOfAilment(remedyOf));
}

void TestCatalogue::ailmentLookup_data()
{
    QTest::addColumn<QString>("ailment");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("remedyStart");

    QTest::newRow("Toothache, lower-case pepper") << "Toothache"
                                                  << "Clove Oil, Allspice, Nutmeg, Cayenne pepper"
                                                  << "It is not possible to visit a dentist";
    QTest::newRow("Acne, comma without space")
        << "Acne"
        << "Evening Primrose,Tea Tree Oil, Almond, Witch Hazel"
        << "Evening Primrose is very good for acnes.";

    // The three throat complaints must read identically.
    const QString throatHerbs = QStringLiteral("Marshmallow, Hyssop, Slippery Elm Bark");
    const QString throatText = QStringLiteral("In case of sore throat, cough and bronchitis");
    QTest::newRow("Cough") << "Cough" << throatHerbs << throatText;
    QTest::newRow("Sore Throat") << "Sore Throat" << throatHerbs << throatText;
    QTest::newRow("Bronchitis") << "Bronchitis" << throatHerbs << throatText;
}

void TestCatalogue::ailmentLookup()
{
    QFETCH(QString, ailment);
    QFETCH(QString, line);
    QFETCH(QString, remedyStart);

    const std::optional<Finding> found = catalogue::lookupAilment(ailment);
    QVERIFY(found);
    QCOMPARE(found->line, line);
    QVERIFY2(found->remedy.startsWith(remedyStart), qPrintable(found->remedy));
}

void TestCatalogue::noMatch_data()
{
    QTest::addColumn<bool>("herbLookup");
    QTest::addColumn<QString>("text");

    QTest::newRow("lower case") << false << "toothache";
    QTest::newRow("upper case") << false << "HAY FEVER";
    QTest::newRow("trailing blank") << false << "Acne ";
    QTest::newRow("leading blank") << false << " Acne";
    QTest::newRow("empty") << false << "";
    QTest::newRow("null") << false << QString();
    QTest::newRow("prefix") << false << "Sore";
    QTest::newRow("longer than a name") << false << "Burnsx";
    QTest::newRow("herb as ailment") << false << "Yarrow";
    QTest::newRow("herb line as ailment") << false << "Evening Primrose, Yarrow";

    QTest::newRow("herb lower case") << true << "cayenne";
    QTest::newRow("herb lower-case pepper") << true << "Cayenne pepper";
    QTest::newRow("herb trailing blank") << true << "Cayenne ";
    QTest::newRow("herb empty") << true << "";
    QTest::newRow("herb prefix") << true << "Pepper";
    QTest::newRow("herb between names") << true << "Peppermint T";
    QTest::newRow("ailment as herb") << true << "Insomnia";
    QTest::newRow("remedy word only") << true << "Lemon balm";
}

void TestCatalogue::noMatch()
{
    QFETCH(bool, herbLookup);
    QFETCH(QString, text);

    const std::optional<Finding> found =
        herbLookup ? catalogue::lookupHerb(text) : catalogue::lookupAilment(text);
    QVERIFY2(!found, qPrintable(found ? found->line : QString()));
}

void TestCatalogue::givenTextLengths_data()
{
    QTest::addColumn<QString>("ailment");
    QTest::addColumn<int>("length");

    QTest::newRow("Toothache") << "Toothache" << 242;
    QTest::newRow("Sinus") << "Sinus Problems" << 192;
    QTest::newRow("Hay Fever") << "Hay Fever" << 304;
    QTest::newRow("Acne") << "Acne" << 251;
}

void TestCatalogue::givenTextLengths()
{
    QFETCH(QString, ailment);
    QFETCH(int, length);

    QCOMPARE(remedyOfAilment(ailment).size(), length);
}

void TestCatalogue::hayFeverLines()
{
    const QString text = remedyOfAilment(QStringLiteral("Hay Fever"));
    const QStringList lines = text.split(QStringLiteral("\r\n"));

    const QStringList expected = {
        QStringLiteral("The following herbal treatments reduce the symptoms related to Hay Fever."),
        QStringLiteral("a. Evening Primrose helps reduce severe back aches."),
        QStringLiteral("b. Yarrow is helpful as a steaming agent."),
        QStringLiteral("Apart from these, in case of hay fever, a towel needs to be draped over "
                       "the head and Yarrow needs to be inhaled until the water cools"),
    };
    QCOMPARE(lines, expected);
    // A bare CR or LF would survive the split hidden inside one of the lines.
    QCOMPARE(text.count(QLatin1Char('\n')), 3);
    QCOMPARE(text.count(QLatin1Char('\r')), 3);
    // Evening Primrose shares the very same paragraph.
    const auto primrose = catalogue::lookupHerb(QStringLiteral("Evening Primrose"));
    QVERIFY(primrose);
    QCOMPARE(primrose->remedy, text);
}

void TestCatalogue::writtenTexts_data()
{
    QTest::addColumn<QString>("ailment");
    QTest::addColumn<QString>("opening");
    QTest::addColumn<int>("target");

    QTest::newRow("Burns")
        << "Burns"
        << "Aloe Vera is one of the best known and popular herbal medicine for all kind of burns. "
        << 390;
    QTest::newRow("Diarrhea")
        << "Diarrhea"
        << "Either the bark or the root of blackberry is very helpful for those suffering from "
           "diarrhea. "
        << 362;
    QTest::newRow("Circulation")
        << "Poor Circulation"
        << "Trembling fingers, cold hands and feet are the symptoms of poor blood circulation. "
        << 370;
    QTest::newRow("Throat")
        << "Bronchitis"
        << "In case of sore throat, cough and bronchitis, Marshmallow is the best herbal remedy. "
        << 332;
    QTest::newRow("Insomnia")
        << "Insomnia"
        << "Lemon balm is the best medicine for light insomnia and it must be consumed before "
           "going to bed. "
        << 268;
}

void TestCatalogue::writtenTexts()
{
    QFETCH(QString, ailment);
    QFETCH(QString, opening);
    QFETCH(int, target);

    const QString text = remedyOfAilment(ailment);
    QVERIFY2(text.startsWith(opening), qPrintable(text));
    QVERIFY2(text.size() >= target * 9 / 10 && text.size() <= target * 11 / 10,
             qPrintable(QString::number(text.size())));
    QVERIFY(text.endsWith(QLatin1Char('.')));
    QVERIFY(isPlainAscii(text));
}

void TestCatalogue::onlyHayFeverBreaksLines()
{
    // The result labels show every other line and paragraph as one run of
    // text, so a stray control character would show up as a broken layout.
    const QString hayFever = remedyOfAilment(QStringLiteral("Hay Fever"));
    QList<std::pair<QString, std::optional<Finding>>> all;
    for (const QString &name : catalogue::ailmentNames())
        all.append({name, catalogue::lookupAilment(name)});
    for (const QString &name : catalogue::herbNames())
        all.append({name, catalogue::lookupHerb(name)});

    int hayFeverUsers = 0;
    for (const auto &[name, found] : all) {
        QVERIFY2(found, qPrintable(name));
        QVERIFY2(isPlainAscii(found->line), qPrintable(name));
        if (found->remedy == hayFever)
            ++hayFeverUsers;
        else
            QVERIFY2(isPlainAscii(found->remedy), qPrintable(name));
    }
    // Hay Fever, Evening Primrose and Yarrow.
    QCOMPARE(hayFeverUsers, 3);
}

QTEST_APPLESS_MAIN(TestCatalogue)

#include "tst_catalogue.moc"
