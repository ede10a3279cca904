#include "catalogue.h"

#include "runtime/programdirectory.h"

#include <array>

namespace {

// Captions are shown as they stand: trailing blanks and backslashes included.
constexpr QStringView delEntries[] = {
    u"Убрать <Все сигналы вкл\\выкл> ",
    u"Убрать <Блокировка клавиатуры вкл.> ",
    u"Убрать <IrDA вкл\\выкл> ",
    u"Убрать <GPRS вкл\\выкл> ",
    u"Убрать из камеры <Подождите> и <Сохранить в> ",
    u"Убрать звук <Сеть найдена> ",
    u"Убрать звук в начале записи видео ",
    u"Убрать подсветку кнопок",
    u"Убрать софткнопки с экрана и опустить время дату вниз",
};

constexpr QStringView fastEntries[] = {
    u"Ускорить видеоискатель",
    u"Ускорить яву",
    u"Ускорить меню",
};

constexpr QStringView otherEntries[] = {
    u"Чтение смс при залоченой клаве",
    u"Открыть диски навсегда",
    u"Ч/Б Режим камеры",
    u"Плавное включение подсветки",
    u"Сжатие фото 100%",
    u"Дата в виде дня недели числа и месяца",
    u"Фото любой цифровой кнопкой",
    u"Подсветка с шагом 5%",
};

constexpr std::array<PatchCategory, 3> catalogue = {{
    {Category::Del, u"Убрать надписи, звуки и т.д.", u"lstDel", u'd', delEntries},
    {Category::Fast, u"Ускорение", u"lstFast", u'f', fastEntries},
    {Category::Other, u"Разное", u"lstOther", u'o', otherEntries},
}};

} // namespace

std::span<const PatchCategory> patchCatalogue()
{
    return catalogue;
}

const PatchCategory &patchCategory(Category category)
{
    return catalogue[static_cast<std::size_t>(category)];
}

QString PatchFilePath(Category category, int index)
{
    return programFile(patchCategory(category).filePrefix + QString::number(index) + QStringLiteral(".h"));
}

std::vector<QString> catalogueFiles()
{
    std::vector<QString> files;
    for (const PatchCategory &category : catalogue) {
        for (int index = 0; index < int(category.entries.size()); ++index)
            files.push_back(PatchFilePath(category.category, index));
    }
    return files;
}
