#pragma once
// The word lists the sample world is made of: kinds of items with their item
// types, materials with the levels they belong to, creatures with their level
// bands. The level ranges and loot categories come from the program's catalog.

#include <array>
#include <span>
#include <string_view>

namespace vl::world {

using Words = std::span<const std::string_view>;

// How an item's name and numbers are made.
enum class Profile {
  kWeapon,      // material + noun; damage and delay
  kArmour,      // material + noun; armour class and attributes
  kShield,      // material + noun; armour class
  kJewellery,   // metal + gem + noun; attributes, hit points, mana
  kCharm,       // adjective + noun; attributes
  kAugment,     // adjective + noun; attributes, high level
  kConsumable,  // adjective + noun; no level
  kSpell,       // "Spell: " or "Song: " + words
  kMisc,        // adjective + noun
};

struct Material {
  std::string_view name;
  int min_level, max_level;
};

inline constexpr std::array kWeaponMaterials{
    Material{"Rusty", 1, 6},         Material{"Bronze", 4, 16},       Material{"Iron", 10, 24},
    Material{"Fine Steel", 18, 34},  Material{"Silversteel", 28, 48}, Material{"Runed", 40, 62},
    Material{"Stormforged", 55, 80}, Material{"Starmetal", 70, 99},
};

inline constexpr std::array kArmourMaterials{
    Material{"Cloth", 1, 6},      Material{"Leather", 3, 12},     Material{"Bronze", 8, 20},
    Material{"Banded", 14, 30},   Material{"Mesh", 22, 38},       Material{"Rubicite", 35, 55},
    Material{"Ironbark", 45, 65}, Material{"Stormscale", 60, 85}, Material{"Starweave", 75, 99},
};

inline constexpr std::array kShieldMaterials{
    Material{"Rusty", 1, 6},        Material{"Wooden", 1, 10},     Material{"Bronze", 6, 18},
    Material{"Banded", 14, 30},     Material{"Rubicite", 35, 55},  Material{"Ironbark", 45, 65},
    Material{"Stormscale", 60, 85}, Material{"Starmetal", 75, 99},
};

struct ItemKind {
  int itemtype;
  Profile profile;
  Words nouns;
  int weight;  // how often the kind is drawn beyond the first item of each kind
};

namespace words {
inline constexpr std::array<std::string_view, 7> k1hSlash{
    "Short Sword", "Longsword", "Scimitar", "Hand Axe", "Broadsword", "Sabre", "Cutlass"};
inline constexpr std::array<std::string_view, 5> k2hSlash{"Greatsword", "Battle Axe", "Claymore",
                                                          "Greataxe", "Two-Handed Sword"};
inline constexpr std::array<std::string_view, 6> kPiercing{"Dagger",      "Dirk",   "Stiletto",
                                                           "Main Gauche", "Rapier", "Short Spear"};
inline constexpr std::array<std::string_view, 6> k1hBlunt{"Mace",  "Club",      "Morning Star",
                                                          "Flail", "Warhammer", "Cudgel"};
inline constexpr std::array<std::string_view, 5> k2hBlunt{"Great Staff", "Maul", "Quarterstaff",
                                                          "Great Hammer", "War Maul"};
inline constexpr std::array<std::string_view, 5> kArchery{"Short Bow", "Longbow", "Recurve Bow",
                                                          "Composite Bow", "Crossbow"};
inline constexpr std::array<std::string_view, 4> kThrowing{"Throwing Knife", "Throwing Axe", "Dart",
                                                           "Chakram"};
inline constexpr std::array<std::string_view, 4> kThrown{"Javelin", "Bola", "Throwing Star",
                                                         "Sling Stone"};
inline constexpr std::array<std::string_view, 5> k2hPiercing{"Pike", "Lance", "Halberd", "Glaive",
                                                             "Trident"};
inline constexpr std::array<std::string_view, 4> kHandToHand{"Knuckle Wraps", "Cestus",
                                                             "Claw Gauntlets", "Fist Guards"};
inline constexpr std::array<std::string_view, 20> kArmour{
    "Cap",       "Helm",   "Coif",   "Tunic",     "Breastplate", "Vest",        "Sleeves",
    "Vambraces", "Bracer", "Gloves", "Gauntlets", "Leggings",    "Greaves",     "Boots",
    "Sandals",   "Cloak",  "Mask",   "Collar",    "Belt",        "Shoulderpads"};
inline constexpr std::array<std::string_view, 5> kShield{"Buckler", "Round Shield", "Kite Shield",
                                                         "Tower Shield", "Heater Shield"};
inline constexpr std::array<std::string_view, 10> kRareMisc{
    "Crystallized Ember", "Ethereal Shard", "Ancient Coin", "Runed Sigil", "Dragon Scale",
    "Wyvern Fang",        "Spider Silk",    "Bear Pelt",    "Wolf Fang",   "Golem Heart"};
inline constexpr std::array<std::string_view, 8> kCombinable{
    "Metal Bits",  "Jade Chunk",      "Silver Bar",    "Brick of Ore",
    "Tanned Hide", "Spool of Thread", "Block of Clay", "Bundle of Herbs"};
inline constexpr std::array<std::string_view, 5> kNote{
    "Tattered Note", "Sealed Letter", "Torn Map Fragment", "Scribbled Note", "Merchant Receipt"};
inline constexpr std::array<std::string_view, 5> kBook{"Worn Journal", "Tome of Runes", "Bestiary",
                                                       "Book of Verses", "Ledger"};
inline constexpr std::array<std::string_view, 4> kKey{"Iron Key", "Crypt Key", "Tower Key",
                                                      "Gate Key"};
inline constexpr std::array<std::string_view, 4> kToken{"Token of Valor", "Arena Token",
                                                        "Guild Marker", "Bone Chip"};
inline constexpr std::array<std::string_view, 3> kFishingPole{"Fishing Pole", "Fishing Rod",
                                                              "Driftwood Rod"};
inline constexpr std::array<std::string_view, 6> kAle{"Stout",      "Dark Ale", "Honey Mead",
                                                      "Barley Ale", "Cider",    "Spiced Wine"};
inline constexpr std::array<std::string_view, 3> kSpecialKey{"Skeleton Key", "Bone Key",
                                                             "Ward Stone"};
inline constexpr std::array<std::string_view, 3> kCompass{"Compass", "Brass Compass",
                                                          "Lodestone Needle"};
inline constexpr std::array<std::string_view, 4> kPoison{"Vial of Nightshade", "Spider Venom",
                                                         "Blackroot Poison", "Serpent Bile"};
inline constexpr std::array<std::string_view, 5> kCharm{"Idol", "Charm", "Trinket", "Totem",
                                                        "Fetish"};
inline constexpr std::array<std::string_view, 5> kAugment{"Shard", "Crystal", "Gem", "Prism",
                                                          "Stone"};
inline constexpr std::array<std::string_view, 5> kSolvent{"Solvent", "Dissolving Agent",
                                                          "Distillate", "Extractor", "Reagent"};
inline constexpr std::array<std::string_view, 8> kFood{"Bread Loaf", "Roasted Boar", "Fish Stew",
                                                       "Rations",    "Honey Cake",   "Smoked Ham",
                                                       "Apple Pie",  "Wild Berries"};
inline constexpr std::array<std::string_view, 5> kDrink{"Water Flask", "Milk", "Fruit Juice",
                                                        "Herbal Tea", "Spring Water"};
inline constexpr std::array<std::string_view, 8> kSpellEffect{
    "Fire Bolt", "Frost Lance", "Minor Healing",  "Shield of Thorns",
    "Gust",      "Stoneskin",   "Blinding Flash", "Mend Wounds"};
inline constexpr std::array<std::string_view, 6> kPotion{"Potion of Healing",  "Elixir of Clarity",
                                                         "Draught of Vigor",   "Tonic of Swiftness",
                                                         "Philter of Warding", "Potion of Mana"};
inline constexpr std::array<std::string_view, 5> kDrum{"Hand Drum", "War Drum", "Tambourine",
                                                       "Frame Drum", "Kettle Drum"};
inline constexpr std::array<std::string_view, 5> kArrow{
    "Field Point Arrow", "Bodkin Arrow", "Barbed Arrow", "Hunting Arrow", "Bundle of Arrows"};
inline constexpr std::array<std::string_view, 5> kRing{"Ring", "Earring", "Necklace", "Bracelet",
                                                       "Amulet"};
inline constexpr std::array<std::string_view, 3> kLight{"Torch", "Lantern", "Glowing Stone"};
inline constexpr std::array<std::string_view, 3> kKit{"Sewing Kit", "Jeweler's Kit",
                                                      "Mortar and Pestle"};
inline constexpr std::array<std::string_view, 2> kLockpick{"Lockpicks", "Set of Picks"};
inline constexpr std::array<std::string_view, 3> kContainer{"Backpack", "Sack", "Large Chest"};
inline constexpr std::array<std::string_view, 2> kBandage{"Bandages", "Linen Wraps"};
inline constexpr std::array<std::string_view, 3> kWind{"Flute", "Pan Pipes", "Bone Whistle"};
inline constexpr std::array<std::string_view, 3> kString{"Lute", "Lyre", "Mandolin"};
inline constexpr std::array<std::string_view, 2> kBrass{"Horn", "Bugle"};

inline constexpr std::array<std::string_view, 8> kQuality{
    "Old", "Fine", "Crude", "Polished", "Ancient", "Gleaming", "Worn", "Blessed"};
inline constexpr std::array<std::string_view, 6> kMetal{"Copper",   "Silver",   "Gold",
                                                        "Electrum", "Platinum", "Moonsilver"};
inline constexpr std::array<std::string_view, 8> kGem{"Jade",  "Ruby", "Sapphire", "Opal",
                                                      "Amber", "Onyx", "Emerald",  "Pearl"};
}  // namespace words

// Every item type of the twelve loot categories, and a few more that no
// category takes, so that category queries have something to leave out.
inline constexpr std::array kItemKinds{
    ItemKind{0, Profile::kWeapon, words::k1hSlash, 6},
    ItemKind{1, Profile::kWeapon, words::k2hSlash, 3},
    ItemKind{2, Profile::kWeapon, words::kPiercing, 4},
    ItemKind{3, Profile::kWeapon, words::k1hBlunt, 4},
    ItemKind{4, Profile::kWeapon, words::k2hBlunt, 3},
    ItemKind{5, Profile::kWeapon, words::kArchery, 3},
    ItemKind{7, Profile::kWeapon, words::kThrowing, 1},
    ItemKind{19, Profile::kWeapon, words::kThrown, 1},
    ItemKind{35, Profile::kWeapon, words::k2hPiercing, 2},
    ItemKind{45, Profile::kWeapon, words::kHandToHand, 1},
    ItemKind{10, Profile::kArmour, words::kArmour, 30},
    ItemKind{8, Profile::kShield, words::kShield, 4},
    ItemKind{11, Profile::kMisc, words::kRareMisc, 2},
    ItemKind{17, Profile::kMisc, words::kCombinable, 3},
    ItemKind{31, Profile::kMisc, words::kNote, 1},
    ItemKind{32, Profile::kMisc, words::kBook, 1},
    ItemKind{33, Profile::kMisc, words::kKey, 1},
    ItemKind{34, Profile::kMisc, words::kToken, 1},
    ItemKind{36, Profile::kMisc, words::kFishingPole, 1},
    ItemKind{37, Profile::kConsumable, words::kAle, 2},
    ItemKind{39, Profile::kMisc, words::kSpecialKey, 1},
    ItemKind{40, Profile::kMisc, words::kCompass, 1},
    ItemKind{42, Profile::kConsumable, words::kPoison, 1},
    ItemKind{52, Profile::kCharm, words::kCharm, 3},
    ItemKind{54, Profile::kAugment, words::kAugment, 3},
    ItemKind{55, Profile::kConsumable, words::kSolvent, 1},
    ItemKind{14, Profile::kConsumable, words::kFood, 3},
    ItemKind{15, Profile::kConsumable, words::kDrink, 2},
    ItemKind{20, Profile::kSpell, words::kSpellEffect, 8},
    ItemKind{21, Profile::kConsumable, words::kPotion, 4},
    ItemKind{26, Profile::kMisc, words::kDrum, 1},
    ItemKind{27, Profile::kConsumable, words::kArrow, 2},
    ItemKind{29, Profile::kJewellery, words::kRing, 4},
    ItemKind{6, Profile::kMisc, words::kLight, 1},
    ItemKind{9, Profile::kMisc, words::kKit, 1},
    ItemKind{12, Profile::kMisc, words::kLockpick, 1},
    ItemKind{16, Profile::kMisc, words::kContainer, 1},
    ItemKind{18, Profile::kConsumable, words::kBandage, 1},
    ItemKind{23, Profile::kMisc, words::kWind, 1},
    ItemKind{24, Profile::kMisc, words::kString, 1},
    ItemKind{25, Profile::kMisc, words::kBrass, 1},
};

struct Creature {
  std::string_view name;
  int min_level, max_level;
  int race;
};

inline constexpr std::array kCreatures{
    Creature{"rat", 1, 4, 36},         Creature{"snake", 1, 6, 37},
    Creature{"bat", 1, 8, 34},         Creature{"beetle", 2, 10, 22},
    Creature{"wolf", 3, 14, 42},       Creature{"skeleton", 3, 20, 60},
    Creature{"goblin", 4, 18, 40},     Creature{"bandit", 6, 25, 1},
    Creature{"zombie", 8, 24, 70},     Creature{"spider", 10, 30, 38},
    Creature{"bear", 10, 28, 43},      Creature{"orc", 12, 35, 54},
    Creature{"ghoul", 18, 38, 71},     Creature{"harpy", 20, 42, 111},
    Creature{"troll", 22, 45, 92},     Creature{"ogre", 25, 50, 93},
    Creature{"treant", 30, 60, 143},   Creature{"wraith", 30, 55, 85},
    Creature{"golem", 35, 65, 17},     Creature{"minotaur", 40, 60, 63},
    Creature{"elemental", 40, 85, 75}, Creature{"giant", 45, 70, 18},
    Creature{"basilisk", 45, 70, 117}, Creature{"wyvern", 50, 75, 157},
    Creature{"drake", 55, 80, 89},     Creature{"lich", 60, 90, 122},
    Creature{"shade", 65, 95, 73},     Creature{"dragon", 70, 99, 49},
    Creature{"titan", 85, 99, 139},
};

namespace words {
inline constexpr std::array<std::string_view, 14> kCreatureAdjective{
    "young", "feral",  "greater", "lesser", "ancient",  "frenzied", "cave",
    "marsh", "plains", "shadow",  "elder",  "diseased", "rabid",    "scarred"};
inline constexpr std::array<std::string_view, 12> kNamePart1{
    "Gor", "Vel", "Ash", "Mor", "Thra", "Kel", "Dru", "Syl", "Bra", "Ner", "Ul", "Zan"};
inline constexpr std::array<std::string_view, 10> kNamePart2{"ak",  "wyn", "dric",  "oth", "iel",
                                                             "gar", "mir", "ustra", "on",  "eth"};
inline constexpr std::array<std::string_view, 8> kEpithet{"the Cruel",  "the Old",     "Ironhide",
                                                          "the Hungry", "Bonecrusher", "the Pale",
                                                          "Blackfang",  "the Wanderer"};
inline constexpr std::array<std::string_view, 6> kLootTableKind{"common", "camp",   "patrol",
                                                                "elite",  "roamer", "den"};
inline constexpr std::array<std::string_view, 8> kLootDropTheme{
    "coin_purse", "weapons", "armour", "gems", "trade_goods", "scrolls", "provisions", "relics"};
}  // namespace words

}  // namespace vl::world
