// Surnames, given names, ranks and remarks of the generated rolls. Frequencies are per 100,000
// soldiers, rounded, after the common names of the 1850-1870 censuses and of the soldiers'
// records in realdata; the few very common names lead by a wide margin, as on real rolls.
#include "tools/rollkit/names_data.h"

const WeightedName kCommonSurnames[] = {
    {"Smith", 2400}, {"Johnson", 1400}, {"Brown", 1300}, {"Williams", 1200}, {"Jones", 1150},
    {"Miller", 1100}, {"Davis", 950}, {"Wilson", 700}, {"Anderson", 600}, {"Taylor", 600},
    {"Moore", 550}, {"Thompson", 550}, {"White", 500}, {"Martin", 500}, {"Clark", 480},
    {"Jackson", 480}, {"Thomas", 450}, {"Harris", 450}, {"Lewis", 420}, {"Allen", 400},
    {"Walker", 400}, {"Hall", 380}, {"Wright", 370}, {"Young", 360}, {"King", 350},
    {"Murphy", 350}, {"Scott", 340}, {"Baker", 330}, {"Adams", 330}, {"Green", 320},
    {"Campbell", 300}, {"Nelson", 280}, {"Mitchell", 280}, {"Hill", 280}, {"Roberts", 270},
    {"Phillips", 260}, {"Kelly", 260}, {"Evans", 250}, {"Turner", 250}, {"Parker", 250},
    {"Robinson", 250}, {"Collins", 240}, {"Edwards", 230}, {"Stewart", 230}, {"Morris", 220},
    {"Cook", 220}, {"Rogers", 210}, {"Morgan", 210}, {"Cooper", 200}, {"Reed", 200},
    {"Bailey", 190}, {"Bell", 190}, {"Howard", 180}, {"Ward", 180}, {"Carter", 180},
    {"Cox", 170}, {"Richardson", 170}, {"Wood", 170}, {"Watson", 160}, {"Brooks", 160},
    {"Bennett", 150}, {"Gray", 150}, {"James", 150}, {"Hughes", 150}, {"Sullivan", 150},
    {"Johnston", 150}, {"Price", 140}, {"Sanders", 130}, {"Myers", 130}, {"Long", 130},
    {"Ross", 130}, {"Foster", 130}, {"Powell", 120}, {"Jenkins", 120}, {"Perry", 120},
    {"Russell", 120}, {"Butler", 120}, {"Barnes", 110}, {"Fisher", 110}, {"Henderson", 110},
    {"Coleman", 100}, {"Simmons", 100}, {"Patterson", 100}, {"Jordan", 100}, {"Reynolds", 100},
    {"Hamilton", 100}, {"Graham", 100}, {"Wallace", 100}, {"Lee", 100}, {"Cole", 90},
    {"West", 90}, {"Hayes", 90}, {"Gibson", 90}, {"Ellis", 90}, {"Stevens", 90},
    {"Marshall", 90}, {"Murray", 90}, {"Harrison", 90}, {"Kennedy", 90}, {"Ryan", 90},
    {"Ford", 80}, {"Warren", 80}, {"Fuller", 80}, {"Palmer", 80}, {"Hunt", 80},
    {"Black", 80}, {"Mason", 80}, {"Walsh", 80}, {"O'Brien", 80}, {"Burns", 80},
    {"McDonald", 80}, {"Lane", 70}, {"Shaw", 70}, {"Rice", 70}, {"Porter", 70},
    {"Hunter", 70}, {"Crawford", 70}, {"Snyder", 70}, {"Wagner", 70}, {"Schmidt", 70},
    {"Meyer", 70}, {"Cunningham", 70}, {"Griffin", 70}, {"Hicks", 60}, {"Boyd", 60},
    {"Mills", 60}, {"Grant", 60}, {"Knight", 60}, {"Ferguson", 60}, {"Rose", 60},
    {"Stone", 60}, {"Dunn", 60}, {"Hart", 60}, {"Spencer", 60}, {"Gardner", 60},
    {"Pierce", 60}, {"Hoffman", 60}, {"O'Connor", 60}, {"O'Neill", 60}, {"Reilly", 60},
    {"Doyle", 60}, {"McCarthy", 60}, {"Lynch", 60}, {"Burke", 60}, {"Gordon", 60},
    {"Tucker", 60}, {"Nichols", 60}, {"Payne", 50}, {"Berry", 50}, {"Matthews", 50},
    {"Arnold", 50}, {"Willis", 50}, {"Ray", 50}, {"Watkins", 50}, {"Schneider", 50},
    {"Weber", 50}, {"Becker", 50}, {"Gallagher", 50}, {"Quinn", 50}, {"Fitzgerald", 50},
    {"Flynn", 50}, {"Brady", 50}, {"Stephens", 50}, {"Dixon", 50}, {"Holmes", 50},
    {"Fischer", 40}, {"Koch", 40}, {"Bauer", 40}, {"Klein", 40}, {"Wolf", 40},
    {"Zimmerman", 40}, {"Keller", 40}, {"Frank", 40}, {"Beck", 40}, {"McLaughlin", 40},
    {"Daly", 40}, {"Brennan", 40}, {"Nolan", 40}, {"Duffy", 40}, {"Boyle", 40},
    {"Sweeney", 40}, {"Moran", 40}, {"Casey", 40}, {"Foley", 40}, {"Fitzpatrick", 40},
    {"Donovan", 40}, {"Barry", 40}, {"Kane", 40}, {"Lyons", 40}, {"Higgins", 40},
    {"Hogan", 40}, {"McCormick", 40}, {"Hale", 40}, {"Hudson", 40}, {"Greene", 40},
    {"Bishop", 40}, {"Chapman", 40}, {"Owens", 40}, {"Harper", 40}, {"Webb", 40},
    {"Hopkins", 40}, {"Douglas", 40}, {"Wheeler", 40}, {"Bradley", 40}, {"Richter", 30},
    {"Schroeder", 30}, {"Schwartz", 30}, {"Braun", 30}, {"Krueger", 30}, {"Lang", 30},
    {"Werner", 30}, {"Krause", 30}, {"Kaiser", 30}, {"Roth", 30}, {"Kramer", 30},
    {"Stein", 30}, {"Gross", 30}, {"Horn", 30}, {"Byrne", 30}, {"Connolly", 30},
    {"O'Connell", 30}, {"Dunne", 30}, {"Maguire", 30}, {"O'Donnell", 30}, {"Healy", 30},
    {"Power", 30}, {"McGrath", 30}, {"O'Leary", 30}, {"McMahon", 30}, {"Donnelly", 30},
    {"Flanagan", 30}, {"McNamara", 30}, {"Buckley", 30}, {"McKinney", 30}, {"Ramsey", 30},
    {"Lawson", 30}, {"Pope", 30}, {"Sutton", 30}, {"Fletcher", 30}, {"Stevenson", 30},
    {"Howell", 30}, {"Holland", 30}, {"Burton", 30}, {"Walters", 30}, {"Fowler", 30},
    {"Austin", 30}, {"Dean", 30}, {"Chambers", 30}, {"Newton", 30}, {"Sherman", 30},
    {"Montgomery", 30}, {"Müller", 25}, {"Fuchs", 20}, {"Baumann", 20}, {"Engel", 20},
    {"Busch", 20}, {"Sauer", 20}, {"Pfeiffer", 20}, {"Kavanagh", 20}, {"Sheehan", 20},
    {"Cullen", 20}, {"Keane", 20}, {"McKenna", 20}, {"McDermott", 20}, {"Rhodes", 20},
    {"Lowe", 20}, {"Burgess", 20}, {"Whitaker", 20}, {"Washington", 20}, {"Smyth", 20},
    {"Schröder", 10}, {"Jäger", 10}, {"Böhm", 10}, {"Van Horn", 10}, {"Ashby", 10},
    {"Pickett", 10}, {"Lockhart", 10}, {"Kirkpatrick", 10}, {"Hollingsworth", 8},
    {"Van Buren", 5}, {"De Witt", 5}, {"La Rue", 5}, {"St. John", 5}, {"Vanderpool", 5},
    {"Higginbotham", 5}, {"Schoonmaker", 3}, {"Breckinridge", 2}, {"Wolfenbarger", 2},
    {"Vanderveer-Stockton", 1},
};
const std::size_t kCommonSurnameCount = sizeof(kCommonSurnames) / sizeof(kCommonSurnames[0]);

const char* const kSurnamePrefixes[] = {
    "Ash", "Bar", "Black", "Brad", "Bran", "Brook", "Cald", "Car", "Chat", "Cran", "Dal",
    "Dun", "Ed", "Fair", "Farn", "Gar", "Glad", "Ham", "Hart", "Hol", "Kel", "Kings", "Lang",
    "Lind", "Mar", "Mid", "Mor", "Nor", "Oak", "Pem", "Ral", "Red", "Ros", "Sher", "Stan",
    "Sum", "Thorn", "Wal", "Wen", "Whit", "Win", "Wood", "Al", "Bel", "Co", "Den", "El",
    "Hal", "Mel", "Os", "Pen", "Rad", "Sel", "Tal", "Ver", "Hub", "Stock", "Trum", "Lud",
    "Ket", "Rick", "Hein", "Eck", "Bren", "Gil", "Har", "Ken", "Man", "Pres", "Shel",
};
const std::size_t kSurnamePrefixCount = sizeof(kSurnamePrefixes) / sizeof(kSurnamePrefixes[0]);

const char* const kSurnameMiddles[] = {
    "en", "er", "ing", "el", "an", "ble", "ter", "der", "ring", "ling", "ard", "ker",
    "lin", "ner", "den", "ham", "mer", "sel", "wick", "ston",
};
const std::size_t kSurnameMiddleCount = sizeof(kSurnameMiddles) / sizeof(kSurnameMiddles[0]);

const char* const kSurnameSuffixes[] = {
    "ton", "ley", "well", "wood", "field", "man", "son", "er", "ford", "by", "more", "worth",
    "ham", "dale", "ridge", "ing", "lock", "stead", "ard", "bury", "cott", "en", "et", "ell",
    "ick", "ock", "shaw", "hurst", "croft", "mann", "berg", "stein", "meyer", "hoff", "bach",
    "ey", "s", "er", "lin", "ner",
};
const std::size_t kSurnameSuffixCount = sizeof(kSurnameSuffixes) / sizeof(kSurnameSuffixes[0]);

const WeightedName kGivenNames[] = {
    {"John", 8500}, {"William", 7500}, {"James", 6000}, {"George", 4000}, {"Charles", 3800},
    {"Thomas", 3300}, {"Henry", 3000}, {"Joseph", 2700}, {"Samuel", 2000}, {"David", 1800},
    {"Robert", 1700}, {"Edward", 1400}, {"Andrew", 1300}, {"Daniel", 1300}, {"Jacob", 1200},
    {"Patrick", 1200}, {"Francis", 1100}, {"Michael", 1100}, {"Benjamin", 1000},
    {"Richard", 1000}, {"Peter", 900}, {"Frederick", 800}, {"Isaac", 800}, {"Alexander", 800},
    {"Jesse", 700}, {"Martin", 700}, {"Lewis", 600}, {"Albert", 600}, {"Stephen", 600},
    {"Nathan", 500}, {"Abraham", 500}, {"Edwin", 500}, {"Alfred", 500}, {"Christian", 500},
    {"Philip", 500}, {"Jeremiah", 400}, {"Hiram", 400}, {"Elijah", 400}, {"Levi", 400},
    {"Joshua", 400}, {"Christopher", 400}, {"Aaron", 400}, {"Franklin", 400}, {"Oliver", 400},
    {"Adam", 400}, {"August", 400}, {"Timothy", 400}, {"Hugh", 400}, {"Matthew", 400},
    {"Jonathan", 400}, {"Nathaniel", 400}, {"Josiah", 300}, {"Simon", 300}, {"Silas", 300},
    {"Reuben", 300}, {"Solomon", 300}, {"Amos", 300}, {"Calvin", 300}, {"Wesley", 300},
    {"Milton", 300}, {"Nelson", 300}, {"Owen", 300}, {"Augustus", 300}, {"Anthony", 300},
    {"Dennis", 300}, {"Cornelius", 300}, {"Moses", 300}, {"Harrison", 200}, {"Asa", 200},
    {"Marion", 200}, {"Jackson", 200}, {"Lafayette", 200}, {"Warren", 200}, {"Wilson", 200},
    {"Carl", 200}, {"Conrad", 200}, {"Ernst", 200}, {"Friedrich", 200}, {"Heinrich", 200},
    {"Johann", 200}, {"Wilhelm", 200}, {"Mark", 200}, {"Ezra", 200}, {"Elias", 200},
    {"Enoch", 200}, {"Noah", 200}, {"Rufus", 200}, {"Sylvester", 200}, {"Theodore", 200},
    {"Zachariah", 200}, {"Wiley", 200}, {"Lorenzo", 200}, {"Jasper", 200}, {"Elisha", 200},
    {"Ephraim", 200}, {"Eli", 200}, {"Allen", 200}, {"Archibald", 200}, {"Gottlieb", 100},
    {"Ludwig", 100}, {"Luke", 100}, {"Gideon", 100}, {"Orrin", 100}, {"Uriah", 100},
    {"Thaddeus", 100}, {"Napoleon", 100}, {"Green", 100}, {"Pleasant", 100}, {"Ebenezer", 100},
    {"Jeptha", 50}, {"Hezekiah", 50}, {"Marquis de Lafayette", 5}, {"François", 40},
    {"José", 40}, {"Søren", 10},
};
const std::size_t kGivenNameCount = sizeof(kGivenNames) / sizeof(kGivenNames[0]);

const GivenNameAbbreviation kGivenNameAbbreviations[] = {
    {"William", "Wm"}, {"James", "Jas"}, {"Charles", "Chas"}, {"George", "Geo"},
    {"Thomas", "Thos"}, {"John", "Jno"}, {"Benjamin", "Benj"}, {"Samuel", "Saml"},
    {"Joseph", "Jos"}, {"Alexander", "Alex"}, {"Robert", "Robt"}, {"Daniel", "Danl"},
    {"Frederick", "Fred"}, {"Richard", "Richd"}, {"Edward", "Edwd"}, {"Jonathan", "Jona"},
};
const std::size_t kGivenNameAbbreviationCount =
    sizeof(kGivenNameAbbreviations) / sizeof(kGivenNameAbbreviations[0]);

const WeightedName kEnlistedRanks[] = {
    {"PVT", 8000}, {"CORP", 600}, {"SERG", 400}, {"MUS", 150}, {"1ST SERG", 80},
    {"WAGONER", 80}, {"BUGLER", 30}, {"FARRIER", 30}, {"BLACKSMITH", 20}, {"ARTIFICER", 20},
    {"SERG MAJ", 20}, {"Q M SERG", 20}, {"COM SERG", 10}, {"HOSP STEWARD", 10},
};
const std::size_t kEnlistedRankCount = sizeof(kEnlistedRanks) / sizeof(kEnlistedRanks[0]);

// In order of seniority: a promoted officer moves one step down this table.
const WeightedName kOfficerRanks[] = {
    {"2D LIEUT", 100}, {"1ST LIEUT", 100}, {"CAPT", 100}, {"MAJ", 20}, {"LT COL", 10},
    {"COL", 10}, {"ADJT", 8}, {"Q M", 8}, {"ASST SURG", 8}, {"SURG", 6}, {"CHAPLAIN", 5},
};
const std::size_t kOfficerRankCount = sizeof(kOfficerRanks) / sizeof(kOfficerRanks[0]);

const WeightedName kRemarks[] = {
    {"Mustered out with company", 300},
    {"Discharged for disability", 150},
    {"Died of disease", 150},
    {"Deserted", 120},
    {"Killed in action", 100},
    {"Transferred", 80},
    {"Died of wounds", 60},
    {"Re-enlisted as veteran", 60},
    {"Missing in action", 40},
    {"Prisoner of war", 40},
    {"Absent sick", 40},
    {"Paroled", 30},
    {"Promoted", 30},
    {"Killed in action at Shiloh", 10},
    {"Killed in action at Gettysburg", 10},
    {"Died in prison at Andersonville, Georgia", 10},
    {"Wounded at Spotsylvania; absent in hospital at muster out of company", 10},
    {"Captured at Chickamauga; paroled and exchanged; returned to duty with his regiment", 5},
};
const std::size_t kRemarkCount = sizeof(kRemarks) / sizeof(kRemarks[0]);
