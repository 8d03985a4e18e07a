#include "texts.h"

#include "image.h"

namespace tarvex::demo {

const std::map<int, std::string>& DialogLines() {
  static const std::map<int, std::string> lines = {
      // Scene 131, the first conversation with the old man.
      {206, "Добрый день. Я ваш сосед сверху."},
      {207, "Сосед? Давно ко мне никто не заходил."},
      {208, "Лифт не работает. Вы не знаете код?"},
      {209, "Код знал консьерж. Но он уехал."},
      {210, "А куда он уехал?"},
      {211, "На сто пятнадцатый этаж. Там архив."},
      {212, "Странно. В доме нет столько этажей."},
      {213, "Это тебе так кажется, сынок."},
      {214, "Тогда как туда попасть?"},
      {215, "Через панель у лифта. Четыре цифры."},
      {216, "Какие цифры?"},
      {217, "Год, когда построили дом."},
      {218, "А когда его построили?"},
      {219, "Посмотри на табличку в котельной."},
      {220, "Спасибо. Я ещё зайду."},
      {221, "Заходи. Только дверь закрывай."},
      // The follow-up conversation.
      {222, "Вы говорили про котельную."},
      {223, "Там всегда шумно. Пар и искры."},
      {224, "Расскажите про консьержа."},
      {225, "Хороший был человек. Тихий."},
      {226, "У вас есть карточка от панели?"},
      {227, "Была. Где-то здесь, в сундуке."},
      {228, "Мне пора."},
      {229, "Иди, иди. Не заблудись."},
      {230, "Ну, это долгая история."},
      {231, "Ты уверен, что хочешь туда?"},
      {232, "Уверен."},
      {233, "Тогда возьми фонарь и ступай."},
      // Choices.
      {445, "Про котельную."},
      {446, "Про консьержа."},
      {447, "Про карточку."},
      {448, "До свидания."},
      {471, "Про котельную."},
      {472, "Про консьержа."},
      {473, "До свидания."},
      {474, "Откуда вы всё знаете?"},
      {475, "Вы здесь давно живёте?"},
      {476, "А вы сами были на том этаже?"},
      {477, "Я хочу спуститься вниз."},
  };
  return lines;
}

const std::map<int, std::string>& ResponseLines() {
  static const std::map<int, std::string> lines = {
      {739, "Батарейки встали на место."},
      {740, "Больше ничего не сделать."},
      {763, "Лифт уже здесь."},
      {767, "Ничего не происходит."},
      {769, "Лифт и так стоит на этаже."},
      {775, "Код уже введён."},
      {776, "Кажется, я ошибся."},
      {777, "Теперь нужен личный пароль."},
      {778, "Неверно. Надо вспомнить."},
      {1184, "Теперь он работает."},
      {1318, "Так-то лучше."},
      {1347, "Не стоит его беспокоить."},
      // Tools of the demo scenes.
      {1500, "Кнопка вызова лифта."},
      {1501, "Нажимаю."},
      {1502, "Кнопка отправки лифта."},
      {1503, "Ещё одна кнопка."},
      {1504, "Щель для карточки."},
      {1505, "Карточка подходит к щели."},
      {1506, "Пластиковая карточка."},
      {1507, "Мой блокнот."},
      {1508, "Цифровая клавиша."},
      {1509, "Листаю назад."},
      {1510, "Листаю вперёд."},
      {1511, "Старик смотрит в окно."},
      {1512, "Здравствуйте!"},
      {1513, "Это не подходит."},
      {1514, "Фонарь. Светит неярко."},
      {1515, "Я не могу это взять."},
  };
  return lines;
}

Bytes EncodeTextTable(const std::map<int, std::string>& lines, char separator) {
  Bytes b;
  PutU16(b, 0xFEFF);
  for (const auto& [id, text] : lines) {
    std::u32string line = Utf8To32(std::to_string(id) + separator + text);
    for (char32_t cp : line) {
      if (cp < 0x10000) PutU16(b, uint32_t(cp));
      else {
        cp -= 0x10000;
        PutU16(b, 0xD800 + (cp >> 10));
        PutU16(b, 0xDC00 + (cp & 0x3FF));
      }
    }
    PutU16(b, '\r');
    PutU16(b, '\n');
  }
  return b;
}

static std::string StructureText() {
  // Tool sections: the lines each verb speaks (response numbers), cursors for tools
  // without lines, and the card's reaction to the card slot.
  std::string s;
  auto tool = [&](int n, std::initializer_list<std::pair<const char*, int>> lines) {
    s += "TOOL " + std::to_string(n) + "\r\n";
    for (const auto& [key, value] : lines) s += std::string(key) + " " + std::to_string(value) + "\r\n";
    s += "\r\n";
  };
  tool(379, {{"LOOK", 1503}, {"USE", 1501}, {"PICKUP", 1515}});
  tool(646, {{"LOOK", 1502}, {"USE", 1501}, {"PICKUP", 1515}});
  tool(647, {{"LOOK", 1500}, {"USE", 1501}, {"PICKUP", 1515}});
  tool(119, {{"LOOK", 1504}, {"USE", 1513}, {"PICKUP", 1515}});
  // The keypad's keys say nothing; the use cursor shows that they can be pressed.
  for (int n = 620; n <= 629; ++n) tool(n, {{"CURSOR", 8}});
  tool(501, {{"USE", 1509}, {"CURSOR", 8}});
  tool(502, {{"USE", 1510}, {"CURSOR", 8}});
  tool(999, {{"LOOK", 1511}, {"TALK", 1512}, {"PICKUP", 1347}});
  s += "TOOL 62\r\nLOOKT 1506\r\nUSET 1513\r\nOTBOY 1513\r\n CLICK 119\r\n DIAL 1505\r\n CLICK 379\r\n DIAL 767\r\n\r\n";
  tool(742, {{"LOOKT", 1507}, {"USET", 1507}, {"OTBOY", 1513}});
  s += "TOOL 47\r\nLOOKT 1514\r\nUSET 1514\r\nOTBOY 1513\r\n CLICKTOOLBAR 61\r\n ADDTOOL 39\r\n DELTOOL 61\r\n\r\n";
  return s;
}

// The stored codes of the devices. The keypad's general code is the year the house was
// built (the old man's hint); its personal password joins the two floors the lift goes to.
// Words typed on a terminal are Russian words as their keys read on the US layout.
static std::string CodesText() {
  return "# Codes of the devices: NAME VALUE\n"
         "pad98.general 1957      # the year the house was built\n"
         "pad98.personal 115149   # archive floor, workshop floor\n"
         "pad67 318204\n"
         "pad256 4071\n"
         "pad258 8352\n"
         "phone218.a 27415\n"
         "phone218.b 903\n"
         "colours150 31425\n"
         "# Keyboard devices (device<mode>, device<mode>.<flag of scene 252 in hex>)\n"
         "device1 gj'pbz          # fax password\n"
         "device2 418203\n"
         "device3 775190\n"
         "device4 062931\n"
         "device6 40617           # fax number\n"
         "device7.1 rjn\n"
         "device7.2 'rdfnjh\n"
         "device7.4 rjntkmyfz\n"
         "device8.40000 19570412\n"
         "device8.80000 31081962\n"
         "device9.40000 gkjoflrf\n"
         "device9.80000 'dfrefwbz\n"
         "device10 52840\n"
         "device11 oper115        # the registry's operator\n"
         "device12 kl131          # a client's code\n";
}

void BuildTexts(Output& out) {
  out.Add("texts/dialog.txt", EncodeTextTable(DialogLines()));
  out.Add("texts/otboy.txt", EncodeTextTable(ResponseLines(), '\t'));
  std::string structure = StructureText();
  out.Add("texts/structure.txt", Bytes(structure.begin(), structure.end()));
  const std::map<int, std::string> zones = {
      {1, "Лифт"}, {2, "Панель"}, {3, "Квартира"}, {4, "Лестничная площадка"}, {5, "Комната старика"},
      {6, "Коридор"}, {7, "Котельная"}, {8, "Ванная"}, {9, "Подсобка"}, {10, "Архив"}, {11, "Мастерские"},
      {12, "Блокнот"}};
  out.Add("data/zones.txt", EncodeTextTable(zones));
  // "data" is never packed: the codes lie loose beside the zone names.
  std::string codes = CodesText();
  out.Add("data/codes.txt", Bytes(codes.begin(), codes.end()));
}

}  // namespace tarvex::demo
