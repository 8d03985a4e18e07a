#include "texts.h"

#include <algorithm>
#include <vector>

#include "formats/image.h"

namespace tarvex::demo {

using namespace tarvex::formats;

const std::map<int, std::string>& DialogLines() {
  static const std::map<int, std::string> lines = {
      // Scene 131, the first conversation with the old man: the codes of the lift's panel.
      {206, "Добрый день. Я ваш сосед из-за стенки."},
      {207, "Сосед? Давно ко мне никто не заходил."},
      {208, "Лифт не работает. Вы не знаете код?"},
      {209, "Общий код — год, когда построили дом."},
      {210, "А когда его построили?"},
      {211, "Посмотри на табличку в котельной."},
      {212, "А что ещё нужно?"},
      {213, "Карточка консьержа и его личный пароль."},
      {214, "А где сам консьерж?"},
      {215, "Ушёл в архив, на сто пятнадцатый этаж."},
      {216, "В доме нет столько этажей."},
      {217, "Это тебе так кажется, сынок."},
      {218, "А пароль какой?"},
      {219, "Номер архива, за ним номер мастерских. Сто сорок девять."},
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
      {233, "Тогда пойдём. Вещи оставь здесь."},
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
      {739, "Вставил батарейки в фонарь. Светит!"},
      {740, "Больше ничего не сделать."},
      {763, "Лифт уже здесь."},
      {767, "Ничего не происходит."},
      {769, "Лифт и так стоит на этаже."},
      {775, "Код уже введён."},
      {776, "Кажется, я ошибся."},
      {777, "Теперь нужен личный пароль."},
      {778, "Неверно. Надо вспомнить."},
      {1184, "Подкрутил провод. Работает!"},
      {1318, "Отжал как следует. Теперь сухое."},
      {1347, "Не стоит его беспокоить."},
      // The landing, the keypad, the notebook, the old man.
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
      {1511, "Старый сосед. Давно живёт один."},
      {1512, "Здравствуйте!"},
      {1513, "Это не подходит."},
      {1514, "Фонарь. Батарейки почти сели."},
      {1515, "Я не могу это взять."},
      // The flat.
      {1520, "Мой стол. Тут я завтракаю и ужинаю."},
      {1521, "Стол как стол."},
      {1522, "Стол мне не унести."},
      {1523, "Книжный шкаф. Книги я давно не читаю."},
      {1524, "Порядок наведу потом."},
      {1525, "Бабушкин ковёр."},
      {1526, "Пусть лежит."},
      {1527, "На столе мой блокнот."},
      {1528, "Блокнот возьму с собой."},
      {1529, "На шкафу старый фонарь."},
      {1530, "Фонарь пригодится."},
      {1531, "Запишу, что сказал старик. Пароль — это этажи."},
      // The lanterns.
      {1532, "Еле светит. Нужны новые батарейки."},
      {1533, "Вставил новые батарейки. Теперь светит ярко."},
      {1534, "Фонарь с новыми батарейками. Светит ярко."},
      {1535, "Светит. Осталось найти, куда посветить."},
      {1536, "Светить тут незачем."},
      {1537, "Батарейки. Совсем новые."},
      {1538, "Карточка консьержа. Для панели у лифта."},
      // The service room.
      {1540, "Старый ящик. Внутри темно, ничего не видно."},
      {1541, "Шарить в темноте руками? Нет уж."},
      {1542, "Тяжёлый. Не унести."},
      {1543, "Фонарь еле светит. Ничего не разглядеть."},
      {1544, "Посвечу-ка внутрь."},
      {1545, "На дне карточка консьержа! Беру."},
      {1546, "Пустой ящик."},
      {1547, "Там больше ничего нет."},
      {1548, "Толстая труба. Гудит."},
      {1549, "Горячая!"},
      // The boiler room.
      {1550, "Табличка: «Дом построен в 1957 году»."},
      {1551, "Привинчена намертво."},
      {1552, "Запишу в блокнот: 1957."},
      {1553, "Котёл. Гудит и пышет жаром."},
      {1554, "Горячо! Лучше не трогать."},
      {1555, "Щиток искрит. Ну и дом."},
      {1556, "Без меня починят."},
      {1557, "Из вентиля бьёт пар."},
      {1558, "Вентиль не поворачивается."},
      {1559, "На скамье батарейки."},
      {1560, "Батарейки пригодятся."},
      // The workshops.
      {1561, "Щиток лифта. Рубильник: «Архив — Мастерские»."},
      {1562, "Щиток под током. Голыми руками не возьмусь."},
      {1563, "Мокрой тряпкой за рубильник? Убьёт."},
      {1564, "Через сухое полотенце можно."},
      {1565, "Щёлк! Теперь лифт пойдёт в архив."},
      {1566, "Рубильник стоит на «Архиве»."},
      {1567, "Пусть так и стоит."},
      {1568, "Верстак. Всё в стружке."},
      {1569, "Мастерить мне некогда."},
      {1570, "Старый приёмник на верстаке."},
      {1571, "Возьму. Вдруг починю."},
      {1572, "Сломанный приёмник. Отошёл провод."},
      {1573, "Приёмник работает."},
      {1574, "Хрипит: «...лифт идёт туда, куда велит щиток...»"},
      // The washroom.
      {1575, "Большое зеркало."},
      {1576, "Свет мой, зеркальце..."},
      {1577, "Ну и вид у меня. Не спал, что ли?"},
      {1578, "Протру потом."},
      {1579, "Ванна. Давно пора отмыть."},
      {1580, "Не время купаться."},
      {1581, "Раковина. Кран подтекает."},
      {1582, "Умылся. Полегчало."},
      {1583, "На краю ванны мокрое полотенце."},
      {1584, "Возьму полотенце."},
      {1585, "Мокрое полотенце. Надо бы отжать."},
      {1586, "Сухое полотенце."},
      {1587, "Сухое. Через него хоть за провод берись."},
      // The archive.
      {1588, "Полки с папками. Архив дома."},
      {1589, "Папки пыльные и пустые."},
      {1590, "Журнал консьержа."},
      {1591, "Листаю журнал."},
      {1592, "Пусть лежит здесь."},
      {1593, "Последняя запись: «Ушёл вниз со стариком из сто тридцать первой»."},
  };
  return lines;
}

double ReadingSeconds(const std::string& utf8) {
  return std::max(1.6, 0.8 + double(Utf8To32(utf8).size()) / 15.0);
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

// One tool's section of structure.txt.
struct ToolText {
  int tool;
  std::vector<std::pair<const char*, int>> lines;  // LOOK, USE, PICKUP, TALK, LOOKT, USET, OTBOY, CURSOR
  std::vector<std::pair<int, int>> clicks;         // held on scene tool n: remark
  std::vector<std::pair<int, std::vector<std::pair<const char*, int>>>> combinations;  // with inventory tool n
};

const std::vector<ToolText>& ToolTexts() {
  static const std::vector<ToolText> tools = {
      // The landing's buttons, the keypad's card slot and keys, the notebook's page buttons.
      {379, {{"LOOK", 1503}, {"USE", 1501}, {"PICKUP", 1515}}, {}, {}},
      {646, {{"LOOK", 1502}, {"USE", 1501}, {"PICKUP", 1515}}, {}, {}},
      {647, {{"LOOK", 1500}, {"USE", 1501}, {"PICKUP", 1515}}, {}, {}},
      {119, {{"LOOK", 1504}, {"USE", 1513}, {"PICKUP", 1515}}, {}, {}},
      {501, {{"USE", 1509}, {"CURSOR", 8}}, {}, {}},
      {502, {{"USE", 1510}, {"CURSOR", 8}}, {}, {}},
      {999, {{"LOOK", 1511}, {"TALK", 1512}, {"PICKUP", 1347}}, {}, {}},
      // The flat: table, bookcase, rug.
      {2, {{"LOOK", 1520}, {"USE", 1521}, {"PICKUP", 1522}}, {}, {}},
      {3, {{"LOOK", 1523}, {"USE", 1524}, {"PICKUP", 1515}}, {}, {}},
      {4, {{"LOOK", 1525}, {"USE", 1526}, {"PICKUP", 1526}}, {}, {}},
      // The service room: the crate, full and empty; the pipe.
      {5, {{"LOOK", 1540}, {"USE", 1541}, {"PICKUP", 1542}}, {}, {}},
      {6, {{"LOOK", 1546}, {"USE", 1547}, {"PICKUP", 1542}}, {}, {}},
      {7, {{"LOOK", 1548}, {"USE", 1549}, {"PICKUP", 1515}}, {}, {}},
      // The boiler room: plaque, boiler, cable box, valve.
      {8, {{"LOOK", 1550}, {"USE", 1551}, {"PICKUP", 1551}}, {}, {}},
      {9, {{"LOOK", 1553}, {"USE", 1554}, {"PICKUP", 1554}}, {}, {}},
      {10, {{"LOOK", 1555}, {"USE", 1556}, {"PICKUP", 1515}}, {}, {}},
      {11, {{"LOOK", 1557}, {"USE", 1558}, {"PICKUP", 1515}}, {}, {}},
      // The workshops: the switch box before and after, the workbench.
      {12, {{"LOOK", 1561}, {"USE", 1562}, {"PICKUP", 1562}}, {}, {}},
      {13, {{"LOOK", 1566}, {"USE", 1567}, {"PICKUP", 1567}}, {}, {}},
      {14, {{"LOOK", 1568}, {"USE", 1569}, {"PICKUP", 1515}}, {}, {}},
      // The washroom: mirror, bath, wash-stand.
      {15, {{"LOOK", 1575}, {"TALK", 1576}, {"USE", 1578}, {"PICKUP", 1515}}, {}, {}},
      {16, {{"LOOK", 1579}, {"USE", 1580}, {"PICKUP", 1515}}, {}, {}},
      {17, {{"LOOK", 1581}, {"USE", 1582}, {"PICKUP", 1515}}, {}, {}},
      // The archive: shelves and the register.
      {18, {{"LOOK", 1588}, {"USE", 1589}, {"PICKUP", 1589}}, {}, {}},
      {19, {{"LOOK", 1590}, {"USE", 1591}, {"PICKUP", 1592}}, {}, {}},
      // Items: where they lie (LOOK, PICKUP) and in the toolbar (LOOKT, USET). Tools 61,
      // 181 and 212 have uses of their own in the toolbar and no USET to speak over them.
      {742, {{"LOOK", 1527}, {"PICKUP", 1528}, {"LOOKT", 1507}, {"USET", 1507}, {"OTBOY", 1513}}, {}, {}},
      {47,
       {{"LOOK", 1529}, {"PICKUP", 1530}, {"LOOKT", 1514}, {"USET", 1532}, {"OTBOY", 1513}},
       {{5, 1543}, {61, 1533}},
       {{61, {{"ADDTOOL", 39}, {"DELTOOL", 61}, {"DELTOOL", 47}}}}},
      {61,
       {{"LOOK", 1559}, {"PICKUP", 1560}, {"LOOKT", 1537}, {"OTBOY", 1513}},
       {{47, 1533}},
       {{47, {{"ADDTOOL", 39}, {"DELTOOL", 61}, {"DELTOOL", 47}}}}},
      {39, {{"LOOKT", 1534}, {"USET", 1535}, {"OTBOY", 1536}}, {{5, 1544}, {6, 1547}}, {}},
      {62, {{"LOOKT", 1538}, {"USET", 1513}, {"OTBOY", 1513}}, {{119, 1505}, {379, 767}}, {}},
      {181, {{"LOOK", 1570}, {"PICKUP", 1571}, {"LOOKT", 1572}, {"OTBOY", 1513}}, {}, {}},
      {188, {{"LOOKT", 1573}, {"USET", 1574}, {"OTBOY", 1513}}, {}, {}},
      {212, {{"LOOK", 1583}, {"PICKUP", 1584}, {"LOOKT", 1585}, {"OTBOY", 1513}}, {{12, 1563}}, {}},
      {197, {{"LOOKT", 1586}, {"USET", 1587}, {"OTBOY", 1513}}, {{12, 1564}}, {}},
  };
  return tools;
}

static std::string StructureText() {
  // Tool sections: the lines each verb speaks (response numbers), cursors for tools
  // without lines, reactions of held items to scene tools and combinations in the toolbar.
  std::string s;
  for (const ToolText& t : ToolTexts()) {
    s += "TOOL " + std::to_string(t.tool) + "\r\n";
    for (const auto& [key, value] : t.lines) s += std::string(key) + " " + std::to_string(value) + "\r\n";
    for (const auto& [target, remark] : t.clicks)
      s += " CLICK " + std::to_string(target) + "\r\n DIAL " + std::to_string(remark) + "\r\n";
    for (const auto& [with, changes] : t.combinations) {
      s += " CLICKTOOLBAR " + std::to_string(with) + "\r\n";
      for (const auto& [key, tool] : changes) s += " " + std::string(key) + " " + std::to_string(tool) + "\r\n";
    }
    s += "\r\n";
  }
  // The keypad's keys say nothing; the use cursor shows that they can be pressed.
  for (int n = 620; n <= 629; ++n) s += "TOOL " + std::to_string(n) + "\r\nCURSOR 8\r\n\r\n";
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

const std::map<int, std::string>& ZoneNames() {
  static const std::map<int, std::string> zones = {
      {1, "Лифт"}, {2, "Панель"}, {3, "Квартира"}, {4, "Лестничная площадка"}, {5, "Комната старика"},
      {6, "Коридор"}, {7, "Котельная"}, {8, "Ванная"}, {9, "Подсобка"}, {10, "Архив"}, {11, "Мастерские"},
      {12, "Блокнот"}};
  return zones;
}

void BuildTexts(Output& out) {
  out.Add("texts/dialog.txt", EncodeTextTable(DialogLines()));
  out.Add("texts/otboy.txt", EncodeTextTable(ResponseLines(), '\t'));
  std::string structure = StructureText();
  out.Add("texts/structure.txt", Bytes(structure.begin(), structure.end()));
  out.Add("data/zones.txt", EncodeTextTable(ZoneNames()));
  // "data" is never packed: the codes lie loose beside the zone names.
  std::string codes = CodesText();
  out.Add("data/codes.txt", Bytes(codes.begin(), codes.end()));
}

}  // namespace tarvex::demo
