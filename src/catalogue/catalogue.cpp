#include "catalogue.h"

#include <QLatin1StringView>

#include <array>
#include <cstddef>
#include <cstdint>

namespace catalogue {
namespace {

// Several entries in both tables point at the same paragraph, so each entry
// carries an index into kRemedies rather than a copy of the text.
enum Remedy : std::uint8_t {
    Toothache,
    Sinus,
    HayFever,
    Acne,
    Burns,
    Diarrhea,
    Circulation,
    Throat,
    Insomnia,
    RemedyCount
};

// Kept as plain char literals (all ASCII) so the whole catalogue is constant
// data with no start-up cost; conversion to QString happens only on lookup.
constexpr std::array<const char *, RemedyCount> kRemedies = {
    // Toothache
    "It is not possible to visit a dentist as soon as the tooth ache starts. "
    "So in between it can be effective to apply Clove Oil, Allspice or "
    "Nutmeg in a cotton ball just above the affected area. Cayenne pepper "
    "can also be used as an herbal cure.",

    // Sinus
    "Intake of peppermint tea relieves a sinus patient to a great extent. As "
    "an inhaler, Costmary or Marshmallow works wonders. Warm peppermint "
    "poultices may also be applied over the affected area.",

    // Hay Fever: shown as four lines; the last one has no full stop
    "The following herbal treatments reduce the symptoms related to Hay Fever.\r\n"
    "a. Evening Primrose helps reduce severe back aches.\r\n"
    "b. Yarrow is helpful as a steaming agent.\r\n"
    "Apart from these, in case of hay fever, a towel needs to be draped over "
    "the head and Yarrow needs to be inhaled until the water cools",

    // Acne
    "Evening Primrose is very good for acnes. Tea Tree Oil is also a useful "
    "remedy for this purpose. The skin needs a bit of scrubbing when "
    "affected with acnes. Almond serves the purpose best. Witch Hazel "
    "applied to the affected area also helps cure acnes.",

    // Burns
    "Aloe Vera is one of the best known and popular herbal medicine for all "
    "kind of burns. First clean the burnt area with cool water, then apply "
    "the juice of a freshly cut aloe vera leaf directly to it. Calendula "
    "also helps a great deal with burns and with the blemishes they leave "
    "behind. Fresh ginger juice can be used as well. Whatever is applied, "
    "cover the area lightly with a piece of gauze.",

    // Diarrhea
    "Either the bark or the root of blackberry is very helpful for those "
    "suffering from diarrhea. Add a tablespoon of the grated root or bark to "
    "three cups of water and boil it until only two cups remain. Strain the "
    "liquid carefully before drinking it, a little at a time over the day. "
    "Peppermint and red raspberry are also known to be very good remedies "
    "for diarrhea.",

    // Circulation
    "Trembling fingers, cold hands and feet are the symptoms of poor blood "
    "circulation. Angelica helps a lot: boil a tablespoon of powdered "
    "angelica root in three cups of water and drink it through the day. "
    "Angelica must never be given to expectant mothers; for them cayenne is "
    "the best choice. Gotu kola and butcher's broom are further favourite "
    "herbs for better circulation.",

    // Throat
    "In case of sore throat, cough and bronchitis, Marshmallow is the best "
    "herbal remedy. Boil a tablespoon of crushed marshmallow roots in three "
    "cups of water and drink the liquid once it has cooled. Hyssop is good "
    "for irritated throats. Slippery elm bark soothes the throat too, and it "
    "also relieves a number of digestive complaints.",

    // Insomnia
    "Lemon balm is the best medicine for light insomnia and it must be "
    "consumed before going to bed. Valerian helps people who suffer from a "
    "moderate form of insomnia. Passion flower is a stronger remedy than "
    "valerian and is to be taken about one hour before going to bed."};

struct Entry
{
    const char *name;
    const char *line;
    Remedy remedy;
};

// clang-format off
// Order matters: it is the order the lists show and the order lookups scan.
// Lines are reproduced as displayed, including the odd missing space after a
// comma and the lower-case "Cayenne pepper".
constexpr Entry kAilments[] = {
    {"Toothache",        "Clove Oil, Allspice, Nutmeg, Cayenne pepper",        Toothache},
    {"Sinus Problems",   "Peppermint Tea, Costmary, Marshmallow",              Sinus},
    {"Hay Fever",        "Evening Primrose, Yarrow",                           HayFever},
    {"Acne",             "Evening Primrose,Tea Tree Oil, Almond, Witch Hazel", Acne},
    {"Burns",            "Aloe Vera, Calendula, Ginger",                       Burns},
    {"Diarrhea",         "Blackberry, Peppermint, Red Raspberry",              Diarrhea},
    {"Poor Circulation", "Angelica, Cayenne, Gotu Kola, Butcher's Broom",      Circulation},
    {"Cough",            "Marshmallow, Hyssop, Slippery Elm Bark",             Throat},
    {"Insomnia",         "Lemon, Valerian, Passion Flower",                    Insomnia},
    {"Sore Throat",      "Marshmallow, Hyssop, Slippery Elm Bark",             Throat},
    {"Bronchitis",       "Marshmallow, Hyssop, Slippery Elm Bark",             Throat},
};

constexpr Entry kHerbs[] = {
    {"Clove Oil",         "Toothache",                                     Toothache},
    {"Allspice",          "Toothache",                                     Toothache},
    {"Nutmeg",            "Toothache",                                     Toothache},
    {"Cayenne Pepper",    "Toothache",                                     Toothache},
    {"Peppermint Tea",    "Sinus Problems",                                Sinus},
    {"Costmary",          "Sinus Problems",                                Sinus},
    {"Marshmallow",       "Sinus Problems, Cough,Sore Throat, Bronchitis", Sinus},
    {"Evening Primrose",  "Hay Fever,Acne",                                HayFever},
    {"Yarrow",            "Hay Fever",                                     HayFever},
    {"Tea Tree Oil",      "Acne",                                          Acne},
    {"Almond",            "Acne",                                          Acne},
    {"Witch Hazel",       "Acne",                                          Acne},
    {"Aloe Vera",         "Burns",                                         Burns},
    {"Calendula",         "Burns",                                         Burns},
    {"Ginger",            "Burns",                                         Burns},
    {"Blackberry",        "Diarrhea",                                      Diarrhea},
    {"Peppermint",        "Diarrhea",                                      Diarrhea},
    {"Angelica",          "Poor Circulation",                              Circulation},
    {"Red Raspberry",     "Diarrhea",                                      Diarrhea},
    {"Cayenne",           "Poor Circulation",                              Circulation},
    {"Gotu Kola",         "Poor Circulation",                              Circulation},
    {"Butcher's Broom",   "Poor Circulation",                              Circulation},
    {"Hyssop",            "Cough, Sore Throat, Bronchitis",                Throat},
    {"Slippery Elm Bark", "Cough, Sore Throat, Bronchitis",                Throat},
    {"Lemon",             "Insomnia",                                      Insomnia},
    {"Valerian",          "Insomnia",                                      Insomnia},
    {"Passion Flower",    "Insomnia",                                      Insomnia},
};
// clang-format on

template <std::size_t N> QStringList namesOf(const Entry (&table)[N])
{
    QStringList names;
    names.reserve(qsizetype(N));
    for (const Entry &e : table)
        names.append(QString::fromLatin1(e.name));
    return names;
}

// Deliberately no trimming or case folding: the lists only ever offer the
// exact names, so anything else is not an entry.
template <std::size_t N> std::optional<Finding> find(const Entry (&table)[N], const QString &name)
{
    for (const Entry &e : table) {
        if (name == QLatin1StringView(e.name))
            return Finding{QString::fromLatin1(e.line), QString::fromLatin1(kRemedies[e.remedy])};
    }
    return std::nullopt;
}

} // namespace

QStringList ailmentNames()
{
    return namesOf(kAilments);
}

QStringList herbNames()
{
    return namesOf(kHerbs);
}

std::optional<Finding> lookupAilment(const QString &name)
{
    return find(kAilments, name);
}

std::optional<Finding> lookupHerb(const QString &name)
{
    return find(kHerbs, name);
}

} // namespace catalogue
