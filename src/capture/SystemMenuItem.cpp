#include "capture/SystemMenuItem.h"

#include <QStringList>

namespace quillora {

namespace {

// The titles as the menus of the supported languages spell them. A list may name a title twice
// (Chinese variants share words); the set keeps one.
QSet<QString> titleSet(SystemMenuItem item)
{
    QStringList titles;
    switch (item) {
    case SystemMenuItem::copy:
        titles = {
            QStringLiteral("Copy"),      QStringLiteral("拷贝"),      QStringLiteral("复制"),
            QStringLiteral("拷貝"),      QStringLiteral("複製"),      QStringLiteral("コピー"),
            QStringLiteral("복사"),      QStringLiteral("Copier"),    QStringLiteral("Copiar"),
            QStringLiteral("Copia"),     QStringLiteral("Kopieren"),  QStringLiteral("Копировать"),
            QStringLiteral("Kopiëren"),  QStringLiteral("Kopiér"),    QStringLiteral("Kopiera"),
            QStringLiteral("Kopioi"),    QStringLiteral("Αντιγραφή"), QStringLiteral("Kopyala"),
            QStringLiteral("Salin"),     QStringLiteral("Sao chép"),  QStringLiteral("คัดลอก"),
            QStringLiteral("Копіювати"), QStringLiteral("Kopiuj"),    QStringLiteral("Másolás"),
            QStringLiteral("Kopírovat"), QStringLiteral("Kopírovať"), QStringLiteral("Kopiraj"),
            QStringLiteral("Копирај"),   QStringLiteral("Копиране"),  QStringLiteral("Kopēt"),
            QStringLiteral("Kopijuoti"), QStringLiteral("Copiază"),   QStringLiteral("העתק"),
            QStringLiteral("نسخ"),       QStringLiteral("کپی"),
        };
        break;
    case SystemMenuItem::paste:
        titles = {
            QStringLiteral("Paste"),    QStringLiteral("粘贴"),       QStringLiteral("贴上"),
            QStringLiteral("貼上"),     QStringLiteral("粘貼"),       QStringLiteral("ペースト"),
            QStringLiteral("붙여넣기"), QStringLiteral("Coller"),     QStringLiteral("Pegar"),
            QStringLiteral("Incolla"),  QStringLiteral("Einfügen"),   QStringLiteral("Вставить"),
            QStringLiteral("Plakken"),  QStringLiteral("Indsæt"),     QStringLiteral("Klistra in"),
            QStringLiteral("Liitä"),    QStringLiteral("Επικόλληση"), QStringLiteral("Yapıştır"),
            QStringLiteral("Tempel"),   QStringLiteral("Dán"),        QStringLiteral("วาง"),
            QStringLiteral("Вставити"), QStringLiteral("Wklej"),      QStringLiteral("Beillesztés"),
            QStringLiteral("Vložit"),   QStringLiteral("Vložiť"),     QStringLiteral("Umetni"),
            QStringLiteral("Умеитни"),  QStringLiteral("Уметни"),     QStringLiteral("Поставяне"),
            QStringLiteral("Ielīmēt"),  QStringLiteral("Įklijuoti"),  QStringLiteral("Lipește"),
            QStringLiteral("הדבק"),     QStringLiteral("لصق"),        QStringLiteral("چسباندن"),
        };
        break;
    case SystemMenuItem::cut:
        titles = {
            QStringLiteral("Cut"),      QStringLiteral("剪切"),         QStringLiteral("剪下"),
            QStringLiteral("剪下"),     QStringLiteral("剪切"),         QStringLiteral("カット"),
            QStringLiteral("잘라내기"), QStringLiteral("Couper"),       QStringLiteral("Cortar"),
            QStringLiteral("Taglia"),   QStringLiteral("Ausschneiden"), QStringLiteral("Вырезать"),
            QStringLiteral("Knippen"),  QStringLiteral("Klip"),         QStringLiteral("Klipp ut"),
            QStringLiteral("Leikkaa"),  QStringLiteral("Αποκοπή"),      QStringLiteral("Kes"),
            QStringLiteral("Potong"),   QStringLiteral("Cắt"),          QStringLiteral("ตัด"),
            QStringLiteral("Вирізати"), QStringLiteral("Wytnij"),       QStringLiteral("Kivágás"),
            QStringLiteral("Vyjmout"),  QStringLiteral("Vystrihnúť"),   QStringLiteral("Izreži"),
            QStringLiteral("Исеци"),    QStringLiteral("Изрязване"),    QStringLiteral("Izgriezt"),
            QStringLiteral("Iškirpti"), QStringLiteral("Taie"),         QStringLiteral("גזור"),
            QStringLiteral("قص"),       QStringLiteral("برش"),
        };
        break;
    case SystemMenuItem::selectAll:
        titles = {
            QStringLiteral("Select All"),
            QStringLiteral("全选"),
            QStringLiteral("选择全部"),
            QStringLiteral("全選"),
            QStringLiteral("選擇全部"),
            QStringLiteral("すべて選択"),
            QStringLiteral("모두 선택"),
            QStringLiteral("Tout sélectionner"),
            QStringLiteral("Seleccionar todo"),
            QStringLiteral("Seleziona tutto"),
            QStringLiteral("Alles auswählen"),
            QStringLiteral("Выбрать все"),
            QStringLiteral("Alles selecteren"),
            QStringLiteral("Vælg alt"),
            QStringLiteral("Välj alla"),
            QStringLiteral("Valitse kaikki"),
            QStringLiteral("Επιλογή όλων"),
            QStringLiteral("Tümünü seç"),
            QStringLiteral("Pilih semua"),
            QStringLiteral("Chọn tất cả"),
            QStringLiteral("เลือกทั้งหมด"),
            QStringLiteral("Вибрати все"),
            QStringLiteral("Zaznacz wszystko"),
            QStringLiteral("Összes kijelölése"),
            QStringLiteral("Vybrat vše"),
            QStringLiteral("Vybrať všetko"),
            QStringLiteral("Odaberi sve"),
            QStringLiteral("Одабери све"),
            QStringLiteral("Избиране на всички"),
            QStringLiteral("Atlasīt visu"),
            QStringLiteral("Pažymėti viską"),
            QStringLiteral("Selectează tot"),
            QStringLiteral("בחר הכל"),
            QStringLiteral("تحديد الكل"),
            QStringLiteral("انتخاب همه"),
        };
        break;
    }
    return QSet<QString>(titles.cbegin(), titles.cend());
}

} // namespace

QString caseName(SystemMenuItem item)
{
    switch (item) {
    case SystemMenuItem::copy:
        return QStringLiteral("copy");
    case SystemMenuItem::paste:
        return QStringLiteral("paste");
    case SystemMenuItem::cut:
        return QStringLiteral("cut");
    case SystemMenuItem::selectAll:
        break;
    }
    return QStringLiteral("selectAll");
}

QString rawValue(SystemMenuItem item)
{
    return caseName(item) + QLatin1Char(':');
}

QString shortcutChar(SystemMenuItem item)
{
    switch (item) {
    case SystemMenuItem::copy:
        return QStringLiteral("C");
    case SystemMenuItem::paste:
        return QStringLiteral("V");
    case SystemMenuItem::cut:
        return QStringLiteral("X");
    case SystemMenuItem::selectAll:
        break;
    }
    return QStringLiteral("A");
}

const QSet<QString>& localizedTitles(SystemMenuItem item)
{
    static const QSet<QString> sets[] = {titleSet(SystemMenuItem::copy), titleSet(SystemMenuItem::paste),
                                         titleSet(SystemMenuItem::cut), titleSet(SystemMenuItem::selectAll)};
    return sets[static_cast<int>(item)];
}

bool matchesTitle(SystemMenuItem item, const std::optional<QString>& title)
{
    return title && localizedTitles(item).contains(*title);
}

} // namespace quillora
