// The demo in English: the translation pack "lang/en/", one PO file a text table, every line
// of the demo translated, and the engine's captions.
#include <map>
#include <string>

#include "resources/po_file.h"
#include "text/engine_texts.h"
#include "text/language_pack.h"
#include "texts.h"

namespace tarvex::demo {

namespace {

const std::map<int, std::string>& EnglishDialog() {
  static const std::map<int, std::string> lines = {
      {206, "Good afternoon. I'm your neighbour from across the wall."},
      {207, "A neighbour? Nobody has called on me for a long time."},
      {208, "The lift isn't working. Do you know the code?"},
      {209, "The general code is the year the house was built."},
      {210, "And when was it built?"},
      {211, "Look at the plaque in the boiler room."},
      {212, "What else is needed?"},
      {213, "The concierge's card and his own password."},
      {214, "And where is the concierge himself?"},
      {215, "He went to the archive, on the hundred and fifteenth floor."},
      {216, "The house doesn't have that many floors."},
      {217, "That's how it seems to you, son."},
      {218, "And what's the password?"},
      {219, "The archive's number, then the workshops' number. One hundred and forty-nine."},
      {220, "Thank you. I'll come by again."},
      {221, "Do. Just close the door behind you."},
      {222, "You mentioned the boiler room."},
      {223, "It's always noisy down there. Steam and sparks."},
      {224, "Tell me about the concierge."},
      {225, "He was a good man. A quiet one."},
      {226, "Do you have a card for the panel?"},
      {227, "I had one. Somewhere here, in the chest."},
      {228, "I have to go."},
      {229, "Go on, go on. Don't get lost."},
      {230, "Well, that's a long story."},
      {231, "Are you sure you want to go there?"},
      {232, "I'm sure."},
      {233, "Then let's go. Leave your things here."},
      {445, "About the boiler room."},
      {446, "About the concierge."},
      {447, "About the card."},
      {448, "Goodbye."},
      {471, "About the boiler room."},
      {472, "About the concierge."},
      {473, "Goodbye."},
      {474, "How do you know all this?"},
      {475, "Have you lived here long?"},
      {476, "Have you been to that floor yourself?"},
      {477, "I want to go down."},
  };
  return lines;
}

const std::map<int, std::string>& EnglishResponses() {
  static const std::map<int, std::string> lines = {
      {739, "Put the batteries in the lantern. It shines!"},
      {740, "There's nothing more to do."},
      {763, "The lift is already here."},
      {767, "Nothing happens."},
      {769, "The lift is already on this floor."},
      {775, "The code is already entered."},
      {776, "I think I made a mistake."},
      {777, "Now the personal password."},
      {778, "Wrong. I need to remember."},
      {1184, "Tightened the wire. It works!"},
      {1318, "Wrung it out properly. Dry now."},
      {1347, "Better not bother him."},
      {1500, "The lift call button."},
      {1501, "Pressing it."},
      {1502, "The lift dispatch button."},
      {1503, "Another button."},
      {1504, "A slot for a card."},
      {1505, "The card fits the slot."},
      {1506, "A plastic card."},
      {1507, "My notebook."},
      {1508, "A digit key."},
      {1509, "Turning back."},
      {1510, "Turning forward."},
      {1511, "The old neighbour. He has lived alone for years."},
      {1512, "Hello!"},
      {1513, "That doesn't fit."},
      {1514, "A lantern. The batteries are nearly dead."},
      {1515, "I can't take that."},
      {1520, "My table. I have breakfast and supper here."},
      {1521, "A table like any other."},
      {1522, "I can't carry the table."},
      {1523, "The bookcase. I haven't read these books in ages."},
      {1524, "I'll tidy up later."},
      {1525, "Grandmother's rug."},
      {1526, "Let it lie."},
      {1527, "My notebook is on the table."},
      {1528, "I'll take the notebook with me."},
      {1529, "An old lantern on the bookcase."},
      {1530, "The lantern will come in handy."},
      {1531, "I'll write down what the old man said. The password is the floors."},
      {1532, "It barely shines. It needs new batteries."},
      {1533, "Put in new batteries. Now it shines brightly."},
      {1534, "A lantern with new batteries. It shines brightly."},
      {1535, "It shines. Now to find where to shine it."},
      {1536, "No point shining it here."},
      {1537, "Batteries. Brand new."},
      {1538, "The concierge's card. For the panel by the lift."},
      {1540, "An old crate. It's dark inside, I can't see a thing."},
      {1541, "Grope around in the dark? No thanks."},
      {1542, "Heavy. I can't carry it."},
      {1543, "The lantern barely shines. I can't make anything out."},
      {1544, "Let me shine it inside."},
      {1545, "The concierge's card is at the bottom! I'll take it."},
      {1546, "An empty crate."},
      {1547, "There's nothing else in there."},
      {1548, "A thick pipe. It hums."},
      {1549, "Hot!"},
      {1550, "The plaque: \"The house was built in 1957\"."},
      {1551, "It's screwed on tight."},
      {1552, "I'll write it in the notebook: 1957."},
      {1553, "The boiler. It hums and breathes heat."},
      {1554, "Hot! Better not touch it."},
      {1555, "The switch box is sparking. What a house."},
      {1556, "Someone else can fix it."},
      {1557, "Steam is shooting out of the valve."},
      {1558, "The valve won't turn."},
      {1559, "Batteries on the bench."},
      {1560, "The batteries will come in handy."},
      {1561, "The lift's switch box. The switch reads \"Archive - Workshops\"."},
      {1562, "The switch box is live. I won't touch it with bare hands."},
      {1563, "Grab the switch with a wet rag? It would kill me."},
      {1564, "Through a dry towel it's safe."},
      {1565, "Click! Now the lift will go to the archive."},
      {1566, "The switch is set to \"Archive\"."},
      {1567, "Let it stay that way."},
      {1568, "A workbench. Covered in shavings."},
      {1569, "I've no time for tinkering."},
      {1570, "An old radio on the workbench."},
      {1571, "I'll take it. Maybe I can fix it."},
      {1572, "A broken radio. A wire has come loose."},
      {1573, "The radio works."},
      {1574, "It crackles: \"...the lift goes where the switch box tells it...\""},
      {1575, "A large mirror."},
      {1576, "Mirror, mirror..."},
      {1577, "What a sight I am. Didn't I sleep?"},
      {1578, "I'll wipe it later."},
      {1579, "The bath. It's long overdue for a scrub."},
      {1580, "No time for a bath."},
      {1581, "The washbasin. The tap is dripping."},
      {1582, "Washed my face. That's better."},
      {1583, "A wet towel on the edge of the bath."},
      {1584, "I'll take the towel."},
      {1585, "A wet towel. It should be wrung out."},
      {1586, "A dry towel."},
      {1587, "Dry. Through this I could even grab a wire."},
      {1588, "Shelves of folders. The house's archive."},
      {1589, "The folders are dusty and empty."},
      {1590, "The concierge's register."},
      {1591, "Leafing through the register."},
      {1592, "Let it lie here."},
      {1593, "The last entry: \"Went down with the old man from one hundred thirty-one\"."},
  };
  return lines;
}

const std::map<int, std::string>& EnglishZones() {
  static const std::map<int, std::string> zones = {
      {1, "Lift"},    {2, "Panel"},       {3, "Flat"},       {4, "Landing"},  {5, "Old man's room"}, {6, "Corridor"},
      {7, "Boiler room"}, {8, "Bathroom"}, {9, "Service room"}, {10, "Archive"}, {11, "Workshops"},   {12, "Notebook"}};
  return zones;
}

const std::map<Caption, std::string>& EnglishCaptions() {
  static const std::map<Caption, std::string> captions = {
      {Caption::MenuTitle, "Tarvex"},
      {Caption::Saved, "Saved"},
      {Caption::Loaded, "Loaded"},
      {Caption::NotSaved, "The game was not saved: "},
      {Caption::NotLoaded, "The save was not loaded: "},
      {Caption::SaveFailed, "The game could not be saved."},
      {Caption::LoadFailed, "The game could not be loaded."},
      {Caption::NoSaveDuringVideo, "the game is not saved during a video"},
      {Caption::NoGameYet, "no game has begun yet"},
      {Caption::NoLoadDuringVideo, "a game is not loaded during a video"},
      {Caption::NoFile, "no file "},
      {Caption::CannotWrite, "could not write "},
      {Caption::Language, "Language: "},
      {Caption::SettingsTitle, "\"Tarvex\" settings"},
      {Caption::SettingsGraphics, "Graphics"},
      {Caption::SettingsTransformLighting, "Transform and lighting unit"},
      {Caption::SettingsColour32, "32-bit colour"},
      {Caption::SettingsTripleBuffering, "Triple buffering"},
      {Caption::SettingsShadows, "Shadows"},
      {Caption::SettingsRadeon, "Ati Radeon compatibility"},
      {Caption::SettingsVideos, "play videos"},
      {Caption::SettingsSound, "Sound"},
      {Caption::SettingsSoundOn, "Sound on"},
      {Caption::SettingsMusicOn, "Music on"},
      {Caption::SettingsStart, "Start"},
      {Caption::SettingsExit, "Exit"},
      {Caption::SubtitleSize, "Text: "},
      {Caption::SubtitleBand, "Band: "},
      {Caption::BandDark, "dark"},
      {Caption::BandAsInGame, "as in the game"},
      {Caption::ReadingSpeed, "Reading: ×"},
      {Caption::WaitForClick, "Wait for click: "},
      {Caption::Yes, "yes"},
      {Caption::No, "no"},
      {Caption::SettingsNotSaved, "The settings could not be saved."},
  };
  return captions;
}

const char kHeader[] =
    "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: Tarvex demo\\n\"\n\"Language: en\\n\"\n\"MIME-Version: 1.0\\n\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n\n";

}  // namespace

Bytes PackTableFile(const std::string& table, const std::map<int, std::string>& originals,
                    const std::map<int, std::string>& translations) {
  std::string text = kHeader;
  for (const auto& [id, original] : originals) {
    PoEntry e;
    e.context = LineContext(table, id);
    e.original = original;
    const auto it = translations.find(id);
    if (it != translations.end()) e.translation = it->second;
    text += PoEntryText(e);
  }
  return Bytes(text.begin(), text.end());
}

const std::map<int, std::string>& EnglishLines(const std::string& table) {
  static const std::map<int, std::string> none;
  if (table == "dialog") return EnglishDialog();
  if (table == "otboy") return EnglishResponses();
  if (table == "zones") return EnglishZones();
  return none;
}

void BuildEnglishEngineTexts(Output& out) {
  std::map<int, std::string> captions, english;
  for (const CaptionText& c : EngineCaptions()) {
    captions[static_cast<int>(c.id)] = c.original;
    const auto it = EnglishCaptions().find(c.id);
    if (it != EnglishCaptions().end()) english[static_cast<int>(c.id)] = it->second;
  }
  out.Add("lang/en/engine.po", PackTableFile(kEngineTable, captions, english));
  const std::string name = "English\n";
  out.Add("lang/en/name.txt", Bytes(name.begin(), name.end()));
}

void BuildEnglishPack(Output& out) {
  out.Add("lang/en/dialog.po", PackTableFile("dialog", DialogLines(), EnglishDialog()));
  out.Add("lang/en/otboy.po", PackTableFile("otboy", ResponseLines(), EnglishResponses()));
  out.Add("lang/en/zones.po", PackTableFile("zones", ZoneNames(), EnglishZones()));
  BuildEnglishEngineTexts(out);
}

}  // namespace tarvex::demo
