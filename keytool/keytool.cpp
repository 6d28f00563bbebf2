// SPDX-License-Identifier: GPL-3.0-or-later
// huffman-lab-key: the answers the program hides from students, for the teacher.
//   huffman-lab-key name "Мама Мыла Раму"          the homework's length counters (a second
//                                                  line where exact fractions give others)
//   huffman-lab-key name "Мама Мыла Раму" --steps  the same and the construction step by step
//   huffman-lab-key check "Мама Мыла Раму" 0,2,3,2 what the window says to that answer
//   huffman-lab-key picture FILE [--plane N]       the full results table and report of a plane
//   huffman-lab-key picture FILE --summary [--csv] one line of figures per plane
//   huffman-lab-key picture FILE --grey            a colour picture converted as the window does
//   huffman-lab-key names FILE [--csv]             the counters of a whole class
//   huffman-lab-key check-all FILE [--csv]         the diagnosis of every answer a class handed in
//   huffman-lab-key report "ФИО" PICTURE --plane N -o FILE.odt|FILE.pdf   the model lab report
//   huffman-lab-key variants [FILE] [--csv]        every variant's answers, or each student's
//   huffman-lab-key check-results PATH... [--class FILE] [--csv]
//                                                  handed-in reports judged, one line a student
// A class's FILE may be a plain list or a spreadsheet's or form's CSV (ClassList); --columns
// names its columns when the guess would be wrong.

#include "bitplanes.h"
#include "builtinpictures.h"
#include "fieldtext.h"
#include "greyconversion.h"
#include "homeworkdiagnosis.h"
#include "huffmanconstruction.h"
#include "keyclass.h"
#include "labreport.h"
#include "keygrading.h"
#include "namecode.h"
#include "namerule.h"
#include "picturereader.h"
#include "planereport.h"
#include "planestatistics.h"
#include "planesummary.h"
#include "resultstable.h"
#include "spreadsheettext.h"
#include "variants.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

enum ExitCode { Success = 0, Unreadable = 1, BadArguments = 2 };
// check: the answer is wrong.
constexpr int WrongAnswer = 1;

// Bytes, not the locale's encoding: the answers are Russian and go to files and pipes as UTF-8.
void write(FILE *stream, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
}

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  huffman-lab-key name \"Фамилия Имя [Отчество]\" [--steps]\n"
        "  huffman-lab-key check \"Фамилия Имя [Отчество]\" СЧЕТЧИКИ\n"
        "  huffman-lab-key picture ФАЙЛ [--plane N] [--summary [--csv]] [--grey]\n"
        "  huffman-lab-key names ФАЙЛ [--columns СТОЛБЦЫ] [--csv]\n"
        "  huffman-lab-key check-all ФАЙЛ [--columns СТОЛБЦЫ] [--csv]\n"
        "  huffman-lab-key report \"ФИО\" ИЗОБРАЖЕНИЕ [--plane N[,N...]] -o ФАЙЛ\n"
        "  huffman-lab-key report \"ФИО\" --variant K -o ФАЙЛ\n"
        "  huffman-lab-key variants [ФАЙЛ [--columns СТОЛБЦЫ]] [--variant K] [--csv]\n"
        // check-results
        "  huffman-lab-key check-results ПУТЬ... [--class ФАЙЛ [--columns СТОЛБЦЫ]] [--csv]\n"
        "  huffman-lab-key --help\n");
}

// The variants' table, one line a variant, so that the man page lists them too.
QString variantTable()
{
    QString text = QStringLiteral("Варианты:\n"
                                  "  номер варианта — изображение, плоскость:\n");
    const QList<Variant> &all = Variants::all();
    for (const Variant &variant : all) {
        text += QStringLiteral("    %1 — %2, плоскость %3%4\n")
                    .arg(QString::number(variant.number), variant.picture,
                        QString::number(variant.plane),
                        variant.number == all.last().number ? QStringLiteral(".")
                                                            : QStringLiteral(";"));
    }
    return text;
}

// The report command's section of --help (and so of the man page).
QString reportHelp()
{
    QString fields;
    const QList<ReportFields::Field> all = ReportFields::fields();
    for (const ReportFields::Field &field : all) {
        fields
            += QStringLiteral("    ") + field.key + QStringLiteral(" — ") + field.label.toLower();
        if (!field.defaultValue.isEmpty())
            fields += QStringLiteral(" (без --field: ") + field.defaultValue + u')';
        fields += QStringLiteral(";\n");
    }
    fields.chop(2);
    fields += QStringLiteral(".\n");
    return QStringLiteral(
               "report ФИО [ИЗОБРАЖЕНИЕ] [--plane N,...] [--variant K] [--field К=З]... -o ФАЙЛ\n"
               "  Пишет модельный отчет по лабораторной работе — такой, какой пишет окно\n"
               "  программы кнопкой «Отчёт…», но со всеми кодами: файл ODT (LibreOffice, Word)\n"
               "  или PDF, по расширению ФАЙЛА (.pdf — PDF, иначе ODT). Страница A4, поля\n"
               "  30/15/20/20 мм, Times New Roman 14, полуторный интервал, номера страниц\n"
               "  внизу (на титульном листе номера нет). Файл записывается целиком или не\n"
               "  записывается вовсе; прежний файл с тем же именем заменяется.\n"
               "  ФИО — полное имя студента, как его принимает поле имени окна (см. name); в\n"
               "  домашнем задании отчета — построение кода для этого имени и ответ программы.\n"
               "  ИЗОБРАЖЕНИЕ — файл BMP, JPEG или PNG или имя встроенного изображения, как\n"
               "  его показывает список окна: ")
        + BuiltInPictures::names().join(QStringLiteral(", "))
        + QStringLiteral(
            ". Цветное изображение\n"
            "  с --grey преобразуется в оттенки серого, как в окне программы; без --grey\n"
            "  оно не подходит: отчет описывает битовые плоскости.\n"
            "  --plane N[,N...] — плоскости отчета (от 1 до 8, через запятую); без --plane —\n"
            "  все восемь. Для каждой плоскости: изображение и плоскость, первые строки\n"
            "  таблицы типов блоков, пять скрытых кодов, результаты анализа, энтропия и\n"
            "  средняя длина кода с их числами, сравнение L с H и сжатие 9/L. Затем —\n"
            "  сравнение всех восьми плоскостей (таблица и диаграмма) и раздел «Выводы».\n"
            "  --variant K — отчет варианта K (см. «Варианты»): его изображение и\n"
            "  плоскость, номер варианта на титульном листе. ИЗОБРАЖЕНИЕ и --plane тогда\n"
            "  можно не задавать; заданные, они должны совпадать с вариантом, иначе это\n"
            "  неверный аргумент (код 2).\n"
            "  --full-tables добавляет приложение с полными таблицами типов блоков.\n"
            "  -o ФАЙЛ (или --output ФАЙЛ) — куда записать отчет.\n"
            "  --field КЛЮЧ=ЗНАЧЕНИЕ — поле титульного листа; ключи:\n")
        + fields
        + QStringLiteral(
            "  Например: --field университет=\"Уральский федеральный университет\"\n"
            "  --field группа=ИБ-201 --field проверил=\"доц. Петров П. П.\".\n"
            "  Код завершения 1, если изображение не прочитано или отчет не записан (причина\n"
            "  в stderr: нет прав на запись в папку, не хватает места на диске).\n"
            "\n");
}

QString help()
{
    return QStringLiteral("huffman-lab-key — ответы к лабораторной работе «Эффективное кодирование "
                          "и цифровое\n"
                          "представление изображений» для преподавателя.\n"
                          "\n")
        + usage()
        + QStringLiteral(
            "\n"
            "name ФИО\n"
            "  Печатает список счетчиков длин кодов Хаффмана для символов полного имени в том\n"
            "  виде, в каком его ждет проверка домашнего задания, например для\n"
            "  \"Мама Мыла Раму\" — 0,3,0,4. Имя можно передать одним аргументом в кавычках\n"
            "  или словами по отдельности: слова соединяются одним пробелом.\n"
            "  Имя читается так же, как его принимает поле окна программы: пробелы по краям\n"
            "  убираются, переводы строк, табуляции и неразрывные пробелы считаются\n"
            "  пробелами, несколько пробелов подряд — одним, а е с отдельным знаком\n"
            "  диерезиса (U+0308) — буквой ё. Имя должно подходить под правило поля: два\n"
            "  или три слова русскими буквами, каждое с заглавной (Ё тоже заглавная), через\n"
            "  один пробел; слово может состоять из двух таких частей через дефис\n"
            "  (Салтыков-Щедрин, Анна-Мария); в каждой части не больше 20 букв. Дефис, как\n"
            "  и пробел, — символ имени и кодируется вместе с буквами. Имя не по правилу —\n"
            "  неверный аргумент (код 2), как и у check; names и check-all пропускают такие\n"
            "  строки (см. ниже).\n"
            "  Первая строка — счетчики программы: она считает вероятности 32-битными\n"
            "  числами с плавающей точкой. Если то же правило в точных дробях (количества\n"
            "  символов сравниваются как целые числа, равные дроби равны, и выбор решает\n"
            "  порядок списка) дает другие счетчики, они печатаются второй строкой: в\n"
            "  32-битных числах суммы равных дробей могут разойтись в последнем знаке.\n"
            "  Проверка засчитывает оба ответа. Где ответы совпадают, строка одна.\n"
            "  С --steps за списком следуют пустая строка и построение кода по шагам, поля\n"
            "  разделены табуляцией: номер шага, узел, взятый первым, узел, взятый вторым,\n"
            "  новый узел (символы узла и вероятность как количество/всего символов, пробел\n"
            "  записан как « »), и как решен выбор среди узлов равной вероятности:\n"
            "  \"по порядку списка\" (из равных берется стоящий в списке последним,\n"
            "  объединенный узел ставится в конец списка), \"по округлению\" (программа\n"
            "  складывает вероятности 32-битными числами с плавающей точкой, и суммы равных\n"
            "  дробей разошлись в последнем знаке) или пусто, если равных не было. Если\n"
            "  построение в точных дробях берет на каком-то шаге другие узлы, за ним следуют\n"
            "  еще одна пустая строка и шаги построения в точных дробях в том же виде.\n"
            "\n"
            "check ФИО СЧЕТЧИКИ\n"
            "  Разбирает ответ студента так же, как окно программы после проверки: первая\n"
            "  строка — вид ответа, ровно одно из слов right (верно: счетчики программы или\n"
            "  счетчики построения в точных дробях, см. name), format (запись не по\n"
            "  правилам), count (кодовых слов не столько, сколько различных символов),\n"
            "  kraft (сумма Крафта не равна 1), suboptimal (код длиннее кода Хаффмана),\n"
            "  tie (такой же короткий код при другом выборе среди равных вероятностей),\n"
            "  unreachable (такой же короткий, но алгоритм Хаффмана его не дает); вторая\n"
            "  строка — пояснение, которое видит студент (для right ее нет); неверный ответ\n"
            "  разбирается по построению в точных дробях, которое студент может повторить.\n"
            "  Последний аргумент — список счетчиков, предыдущие — слова имени; оба\n"
            "  читаются так же, как их принимают поля окна (в списке пробелы у запятых\n"
            "  убираются). Код завершения 0 для right, 1 для остальных видов.\n"
            "\n"
            "picture ФАЙЛ [--plane N] [--summary [--csv]] [--grey]\n"
            "  Читает изображение BMP, JPEG или PNG так же, как программа (если содержимое\n"
            "  файла не совпадает с его расширением, формат определяется по содержимому).\n"
            "  Полутоновое изображение делится на восемь битовых плоскостей\n"
            "  (1 — старший бит); печатается плоскость N (от 1 до 8) или, без --plane, все\n"
            "  восемь. Для каждой плоскости:\n"
            "    строка \"# plane N\";\n"
            "    по строке на каждый тип блока 3 x 3, поля разделены табуляцией:\n"
            "      ранг (1 — самый частый тип), образец (9 символов 0/1: верхняя строка блока\n"
            "      слева направо, затем средняя и нижняя; 1 — черный пиксель), количество,\n"
            "      вероятность (как в таблице программы), код Хаффмана (также для пяти\n"
            "      скрытых от студента строк), длина кода;\n"
            "    пустая строка;\n"
            "    три абзаца отчета в точности так, как программа добавляет их в поле отчета;\n"
            "      именем изображения служит путь к файлу в том виде, как он передан.\n"
            "  Разделы нескольких плоскостей отделены друг от друга пустой строкой.\n"
            "  Полутоновым, как и в программе, считается изображение, все точки которого\n"
            "  серые (в том числе черно-белое 1-битное и 4-битное с серой палитрой); уровень\n"
            "  точки — наибольшая из ее составляющих. Цветное изображение программа на\n"
            "  плоскости не делит и анализирует целиком; тогда печатается один раздел под\n"
            "  строкой \"# picture\".\n"
            "  С --grey цветное изображение сначала преобразуется в оттенки серого, как это\n"
            "  делает кнопка «Преобразовать в оттенки серого» в окне программы: уровень\n"
            "  точки — яркость по весам ITU-R BT.601, 0,299 R + 0,587 G + 0,114 B,\n"
            "  округленная до целого; затем оно делится на плоскости, как любое полутоновое,\n"
            "  а в отчете его имя — путь к файлу с припиской \" (оттенки серого)\".\n"
            "  Полутоновое изображение --grey не меняет.\n"
            "  Первый абзац отчета в этом случае — \"Изображение: ФАЙЛ\" без номера\n"
            "  плоскости, как и в окне программы (у плоскости полутонового изображения —\n"
            "  \"Изображение: ФАЙЛ. Плоскость №N\"); --plane N тогда ничего не меняет.\n"
            "  С --summary вместо таблиц печатается по строке на плоскость (или одну\n"
            "  плоскость N), как на вкладке «Сравнение плоскостей»; поля разделены\n"
            "  табуляцией: номер плоскости (1 — 8), число типов блоков, средняя длина кода L\n"
            "  и энтропия H в битах на блок (как в отчете), размер плоскости после\n"
            "  кодирования в битах (сумма количество x длина кода) и сжатие 9/L с тремя\n"
            "  знаками после точки (\"-\", когда тип блока один и L = 0). Изображение, которое не\n"
            "  делится на плоскости, дает одну строку с номером плоскости 0.\n"
            "  С --summary --csv те же строки выводятся как таблица CSV, в том же виде, в\n"
            "  каком окно программы сохраняет таблицу результатов: UTF-8 с меткой порядка\n"
            "  байтов, строка заголовков (как у таблицы на вкладке «Сравнение плоскостей»),\n"
            "  поля через точку с запятой, дробные числа с десятичной запятой.\n"
            "\n"
            "names ФАЙЛ [--columns СТОЛБЦЫ] [--csv]\n"
            "  Ответы для целой группы. ФАЙЛ — список группы, по одному полному имени в\n"
            "  строке, или таблица CSV из электронной таблицы или онлайн-формы (см. «Файлы\n"
            "  со списком группы»); пустые строки и строки, начинающиеся с #, пропускаются,\n"
            "  пробелы по краям и лишние пробелы между словами убираются. На каждое имя\n"
            "  печатается\n"
            "  строка, поля разделены табуляцией: имя, список счетчиков, который ждет\n"
            "  проверка домашнего задания, число различных символов имени (пробел тоже\n"
            "  символ), поле с * для имен, где другой выбор среди равных вероятностей дает\n"
            "  другие счетчики той же цены, кроме засчитываемых (ответы студентов могут\n"
            "  оспариваться), с ?, если перебор выборов остановился раньше, чем это\n"
            "  выяснилось, иначе пустое, и все ответы, которые проверка засчитывает, через\n"
            "  пробел: список счетчиков программы и, если построение в точных дробях дает\n"
            "  другой, он (как вторая строка у name).\n"
            "  Строка, которую поле имени в окне программы не приняло бы, попадает\n"
            "  в stderr с номером строки (и столбца, если файл — таблица) и пропускается;\n"
            "  остальные строки печатаются, а код завершения тогда 1.\n"
            "  С --csv те же поля выводятся как таблица CSV для электронной таблицы: UTF-8\n"
            "  с меткой порядка байтов, строка заголовков, поля через точку с запятой,\n"
            "  списки счетчиков записаны как =\"0,3,0,4\", чтобы оставаться текстом.\n"
            "\n"
            "check-all ФАЙЛ [--columns СТОЛБЦЫ] [--csv]\n"
            "  Разбирает ответы целой группы так же, как check. ФАЙЛ — список, в строке\n"
            "  полное имя, табуляция и список счетчиков, который сдал студент, или таблица\n"
            "  CSV с именами и ответами (см. «Файлы со списком группы»); пустые строки и\n"
            "  строки с # в начале пропускаются. На каждую строку печатается\n"
            "  строка, поля разделены табуляцией: имя, ответ, вид ответа (right, format,\n"
            "  count, kraft, suboptimal, tie, unreachable, как у check) и пояснение, которое\n"
            "  видит студент (для right пустое). Строка без ответа или с именем, которое\n"
            "  поле имени в окне не приняло бы, попадает в stderr с номером строки (и\n"
            "  столбца) и пропускается; код завершения тогда 1, а неверные ответы на него не\n"
            "  влияют. --csv — как у names.\n"
            "\n")
        + reportHelp()
        + QStringLiteral(
            "variants [ФАЙЛ [--columns СТОЛБЦЫ]] [--variant K] [--csv]\n"
            "  Ответы вариантов. Вариант — встроенное изображение и одна из его плоскостей\n"
            "  (таблица — в разделе «Варианты» ниже); у каждого студента группы свой\n"
            "  вариант, и никакие два варианта не дают одних и тех же пяти скрытых кодов.\n"
            "  Без ФАЙЛА печатается по строке на вариант, поля разделены табуляцией: номер\n"
            "  варианта, изображение (как в списке окна программы), номер плоскости, число\n"
            "  типов блоков, средняя длина кода L и энтропия H в битах на блок (как в\n"
            "  отчете) и пять скрытых от студента кодов (пять полей, код самого частого типа\n"
            "  блока первым). С --variant K — только строка варианта K; номер вне таблицы —\n"
            "  неверный аргумент (код 2).\n"
            "  С ФАЙЛОМ, списком группы (он читается так же, как у names), печатается по\n"
            "  строке на студента: имя, затем те же поля его варианта. Студент k списка (по\n"
            "  порядку принятых имен) получает вариант k; если студентов больше, чем\n"
            "  вариантов, после последнего варианта нумерация начинается снова с 1, о чем\n"
            "  в stderr печатается одна строка. Строки, которые поле имени в окне не\n"
            "  приняло бы, попадают в stderr и варианта не получают, а код завершения тогда\n"
            "  1; список, в котором нет ни одного имени, — тоже код 1.\n"
            "  --csv — как у names: таблица CSV со строкой заголовков, L и H с десятичной\n"
            "  запятой, коды записаны как =\"0010\", чтобы оставаться текстом.\n"
            "\n"
            // check-results
            "check-results ПУТЬ... [--class ФАЙЛ [--columns СТОЛБЦЫ]] [--csv]\n"
            "  Проверяет сданные работы. ПУТЬ — файл или папка (папки просматриваются\n"
            "  вместе с вложенными, например папка «Скачать все ответы» из Moodle, где у\n"
            "  каждого студента своя папка вида\n"
            "  «Фамилия Имя Отчество_123456_assignsubmission_file_»).\n"
            "  Работа — отчет ODT, записанный программой, или сохраненные результаты\n"
            "  (файл ИМЯ.json рядом с таблицей ИМЯ.csv): в них записаны имя, домашнее\n"
            "  задание, вариант и каждая плоскость отчета с введенными кодами. Ответы\n"
            "  вычисляются заново, а не берутся из файла: домашнее задание — по имени и\n"
            "  счетчикам, коды и показатели встроенного изображения — по самому\n"
            "  изображению, а своего изображения студента — по таблице типов блоков из\n"
            "  файла (она должна сходиться с размером изображения). Отметка в файле «все\n"
            "  коды верны» ничего не решает: неверный код называется со строкой и тем, что\n"
            "  введено. На каждого студента печатается строка, поля разделены табуляцией:\n"
            "  имя, вариант, домашнее задание (верно, пропущено, неверно), верные коды\n"
            "  (k из 5, меньше на плоскости с меньшим числом типов блоков), верные\n"
            "  показатели (k из 3: число типов блоков, L и H так, как их печатает отчет),\n"
            "  \"зачтено\" или \"не зачтено\" и причина. Зачтено, если домашнее задание\n"
            "  верно, все коды и показатели плоскости верны и вариант тот, что назначен.\n"
            "  Без варианта подходит любая плоскость работы (берется первая верная).\n"
            "  С --class ФАЙЛ (список группы, читается как у names) каждый студент списка\n"
            "  печатается один раз и по порядку, k-й студент получает вариант k, после\n"
            "  последнего варианта нумерация начинается снова; работа другого варианта —\n"
            "  \"не зачтено\" с причиной; кто ничего не сдал — \"нет работы\". Работа\n"
            "  относится к студенту по имени папки Moodle, иначе по имени в самой работе\n"
            "  (порядок слов и отчество не важны); работа на чужое имя — \"не зачтено\".\n"
            "  Работы, чьих авторов нет в списке, печатаются отдельно, после пустой\n"
            "  строки. Две работы одного студента проверяются обе: в строке — верная (или\n"
            "  первая), в причине — остальные.\n"
            "  С --csv выводится таблица CSV для импорта оценок в Moodle («Импорт оценок\n"
            "  из CSV»): UTF-8 с меткой порядка байтов, поля через точку с запятой,\n"
            "  столбцы: идентификатор (столбец списка группы с заголовком вроде «Адрес\n"
            "  электронной почты», «E-mail», «Идентификационный номер», «ID number»),\n"
            "  ФИО, Вариант, Домашнее задание, Коды, Показатели, Оценка (зачтено или не\n"
            "  зачтено, для шкалы «не зачтено, зачтено»; пусто, если работы нет) и Отзыв\n"
            "  (причина). При импорте сопоставьте идентификатор с полем пользователя,\n"
            "  Оценку — с заданием, Отзыв — с отзывом о задании. Работы не из списка\n"
            "  тогда попадают в stderr.\n"
            "  Посторонний файл пропускается с одной строкой в stderr. Поврежденный или\n"
            "  обрезанный отчет, PDF и документ Word без данных программы называются в\n"
            "  строке студента (\"не зачтено\"). Файл больше 64 МБ и пакет, запись данных\n"
            "  которого объявлена больше 8 МБ или сжата больше чем в 256 КБ, отвергаются не\n"
            "  читая (защита от zip-бомб). Код завершения 1, если какую-то работу или\n"
            "  строку списка не удалось прочитать; незачтенные работы на него не влияют.\n"
            "\n")
        + variantTable()
        + QStringLiteral(
            "\n"
            "Файлы со списком группы:\n"
            "  names, check-all и variants читают простой список и таблицу CSV в том виде, в\n"
            "  каком ее сохраняют LibreOffice Calc, Excel и онлайн-формы, в том числе вывод\n"
            "  names --csv и check-all --csv:\n"
            "    кодировка — UTF-8 или UTF-16 с меткой порядка байтов, UTF-8 без метки, а\n"
            "    иначе Windows-1251 (об этом печатается одна строка в stderr); строки\n"
            "    файла в UTF-8 с испорченными байтами отвергаются с их номерами;\n"
            "    концы строк — LF, CRLF или одно CR;\n"
            "    разделитель полей — табуляция, точка с запятой или запятая, он\n"
            "    определяется по самому файлу; поле в кавычках может содержать\n"
            "    разделители, переводы строк и удвоенные кавычки, а поле вида =\"0,3,0,4\"\n"
            "    читается как 0,3,0,4.\n"
            "  Строка заголовков узнается по словам (ФИО, Фамилия, Имя, Отчество, Студент,\n"
            "  Ответ, Счетчики — в любом регистре), и столбцы берутся из нее. Без нее имя —\n"
            "  первый столбец, где стоят имена (или три соседних столбца фамилии, имени и\n"
            "  отчества), а ответ — первый следующий за ним столбец со списками через\n"
            "  запятую, иначе просто следующий. Лишние столбцы (группа, время отправки\n"
            "  формы) не мешают.\n"
            "  --columns СТОЛБЦЫ задает столбцы, если догадка неверна: столбец имени\n"
            "  номером (с 1) или буквой, как в электронной таблице (для имени в трех\n"
            "  столбцах — диапазон), и через запятую столбец ответа (для check-all; без\n"
            "  него — следующий за именем), например --columns 2,4 или --columns B-D,E.\n"
            "  Строка заголовков, если она есть, пропускается и тогда.\n"
            "  Книгу электронной таблицы (xlsx, ods, xls) программа не читает: сохраните\n"
            "  ее как CSV.\n"
            "\n"
            "Вывод всегда в UTF-8, независимо от локали. Управляющие символы из файла\n"
            "группы печатаются как \\xHH, а в сообщениях длинное содержимое строки\n"
            "сокращается.\n"
            "\n"
            "Переменные окружения:\n"
            "  HUFFMAN_LAB_KEY_DEBUG=1 — показывать в stderr и предупреждения библиотеки Qt\n"
            "  (по-английски); без нее они не выводятся.\n"
            "\n"
            "Коды завершения:\n"
            "  0 — успех (для check — ответ верен);\n"
            "  1 — файл изображения не удалось прочитать (сообщение в stderr); для check —\n"
            "      ответ неверен; для names, check-all и variants — файл списка не прочитан\n"
            "      или в нем есть непринятые строки; для variants — и нет ни одного имени;\n"
            "  2 — неверные аргументы (подсказка по использованию в stderr).\n");
}

int badArguments(const QString &message)
{
    write(stderr, QStringLiteral("huffman-lab-key: ") + message + QLatin1Char('\n') + usage());
    return BadArguments;
}

QString tableText(const PlaneStatistics &stats)
{
    QString text;
    for (qsizetype row = 0; row < stats.types.size(); ++row) {
        const QStringList fields {QString::number(row + 1),
            ResultsTable::patternText(stats.types.at(row).pattern),
            QString::number(stats.types.at(row).count),
            PlaneReport::probabilityText(stats.probabilities.at(row)), stats.codes.value(row),
            QString::number(stats.lengths.value(row).length)};
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

// One analysed plane (or unsplit picture): heading, table, blank line, the three paragraphs.
QString section(const QString &heading, const QImage &plane, const QString &firstParagraph)
{
    const PlaneStatistics stats = PlaneStatistics::of(plane);
    return heading + QLatin1Char('\n') + tableText(stats) + QLatin1Char('\n') + firstParagraph
        + QLatin1Char('\n') + PlaneReport::blockTypesParagraph(stats.types.size())
        + QLatin1Char('\n') + PlaneReport::summaryParagraph(stats) + QLatin1Char('\n');
}

// Name words, with the options among them taken out.
bool nameWords(const QStringList &arguments, QStringList *words, bool *steps, QString *error)
{
    for (const QString &argument : arguments) {
        if (steps && argument == QLatin1String("--steps")) {
            *steps = true;
        } else if (argument.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("неизвестный параметр ") + argument;
            return false;
        } else {
            words->append(argument);
        }
    }
    return true;
}

// Why the window's name field would not take the name; empty when it would.
QString refusal(const QString &name)
{
    if (NameRule::acceptable(name))
        return {};
    return QStringLiteral("поле имени в окне программы не примет «%1» (%2): нужны ")
               .arg(name, NameRule::problem(name))
        + NameRule::description();
}

QString stepsText(const HuffmanConstruction &construction)
{
    QString text;
    for (const HuffmanConstruction::Step &step : construction.steps) {
        const QStringList fields {QString::number(construction.nodes.at(step.merged).step),
            construction.nodeText(step.first), construction.nodeText(step.second),
            construction.nodeText(step.merged), HuffmanConstruction::tieNote(step)};
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

int nameMode(const QStringList &arguments)
{
    QStringList words;
    bool steps = false;
    QString error;
    if (!nameWords(arguments, &words, &steps, &error))
        return badArguments(error);
    if (words.isEmpty())
        return badArguments(QStringLiteral("не задано имя"));
    // The same text the window's name field would hold after the same paste.
    const QString name = FieldText::name(words.join(QLatin1Char(' ')));
    const QString refused = refusal(name);
    if (!refused.isEmpty())
        return badArguments(refused);
    const NameStatistics statistics = NameCode::analyse(name);
    // The lab's answer first, as it always was; the exact one after it only where it differs.
    write(stdout, statistics.answers().join(QLatin1Char('\n')) + QLatin1Char('\n'));
    if (steps) {
        using Arithmetic = HuffmanConstruction::Arithmetic;
        const HuffmanConstruction lab = HuffmanConstruction::ofName(name, Arithmetic::Float32);
        const HuffmanConstruction exact = HuffmanConstruction::ofName(name, Arithmetic::Exact);
        write(stdout, QStringLiteral("\n") + stepsText(lab));
        if (HuffmanConstruction::partingStep(lab, exact) > 0)
            write(stdout, QStringLiteral("\n") + stepsText(exact));
    }
    return Success;
}

QString summaryLine(const PlaneFigures &figures)
{
    return PlaneSummary::fields(figures).join(QLatin1Char('\t')) + QLatin1Char('\n');
}

// The comparison tab's table as the window saves a table: its column titles on one line, numbers
// for a spreadsheet with a Russian locale (decimal commas, no exponent).
QByteArray summaryCsv(const QList<PlaneFigures> &planes)
{
    using Kind = SpreadsheetText::Kind;
    QList<SpreadsheetText::Row> rows {{{QStringLiteral("Плоскость"), Kind::Label},
        {QStringLiteral("Типов блоков"), Kind::Label}, {QStringLiteral("L, бит/блок"), Kind::Label},
        {QStringLiteral("H, бит/блок"), Kind::Label},
        {QStringLiteral("После кодирования, бит"), Kind::Label},
        {QStringLiteral("Сжатие 9/L"), Kind::Label}}};
    for (const PlaneFigures &figures : planes) {
        const QStringList fields = PlaneSummary::fields(figures);
        SpreadsheetText::Row row;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i == 5 && !figures.hasRatio())
                row.append({fields.at(i), Kind::Label});
            else
                row.append(
                    {i >= 2 ? PlaneReport::entropyLine(fields.at(i)) : fields.at(i), Kind::Number});
        }
        rows.append(row);
    }
    return SpreadsheetText::csv(rows);
}

int checkMode(const QStringList &arguments)
{
    QStringList words;
    QString error;
    if (!nameWords(arguments, &words, nullptr, &error))
        return badArguments(error);
    if (words.size() < 2)
        return badArguments(QStringLiteral("нужны имя и список счетчиков"));
    // Both texts as the window's fields would hold them after the same paste.
    const QString counters = FieldText::counters(words.takeLast());
    const QString name = FieldText::name(words.join(QLatin1Char(' ')));
    const QString refused = refusal(name);
    if (!refused.isEmpty())
        return badArguments(refused);
    const HomeworkDiagnosis diagnosis = HomeworkDiagnosis::of(name, counters);
    QString out = HomeworkDiagnosis::kindName(diagnosis.kind) + QLatin1Char('\n');
    if (!diagnosis.text.isEmpty())
        out += diagnosis.text + QLatin1Char('\n');
    write(stdout, out);
    return diagnosis.kind == HomeworkDiagnosis::Kind::Right ? Success : WrongAnswer;
}

int classMode(const KeyClass::Output &output)
{
    if (output.exitCode == BadArguments)
        return badArguments(output.err);
    std::fwrite(output.out.constData(), 1, size_t(output.out.size()), stdout);
    write(stderr, output.err);
    return output.exitCode;
}

// The split found no memory for the planes: said as a picture that could not be read.
int noMemoryForPlanes(const QString &path, const QImage &picture)
{
    write(stderr,
        QStringLiteral("huffman-lab-key: не удалось прочитать изображение ") + path
            + QStringLiteral(": ") + PictureReader::outOfMemoryReason(picture.size())
            + QLatin1Char('\n'));
    return Unreadable;
}

int pictureMode(const QStringList &arguments)
{
    QString path;
    bool havePath = false;
    std::optional<int> plane;
    bool summary = false;
    bool csv = false;
    bool grey = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString planeText;
        bool isPlane = false;
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument == QLatin1String("--summary")) {
            summary = true;
            continue;
        }
        if (!optionsEnded && argument == QLatin1String("--csv")) {
            csv = true;
            continue;
        }
        if (!optionsEnded && argument == QLatin1String("--grey")) {
            grey = true;
            continue;
        }
        if (!optionsEnded && argument == QLatin1String("--plane")) {
            if (i + 1 >= arguments.size())
                return badArguments(QStringLiteral("после --plane нужен номер плоскости"));
            planeText = arguments.at(++i);
            isPlane = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--plane="))) {
            planeText = argument.mid(8);
            isPlane = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return badArguments(QStringLiteral("неизвестный параметр ") + argument);
        }
        if (isPlane) {
            if (plane)
                return badArguments(QStringLiteral("--plane задан дважды"));
            bool ok = false;
            const int number = planeText.toInt(&ok);
            if (!ok || number < 1 || number > BitPlanes::count)
                return badArguments(
                    QStringLiteral("номер плоскости должен быть от 1 до 8, а не ") + planeText);
            plane = number;
            continue;
        }
        if (havePath)
            return badArguments(QStringLiteral("лишний аргумент ") + argument);
        path = argument;
        havePath = true;
    }
    if (!havePath || path.isEmpty())
        return badArguments(QStringLiteral("не задан файл изображения"));
    if (csv && !summary)
        return badArguments(QStringLiteral("--csv у picture работает только вместе с --summary"));

    // The window's own reader: whatever a student can open, the key covers, and no more.
    const PictureReader::Result read = PictureReader::read(path);
    if (!read.ok()) {
        write(stderr,
            QStringLiteral("huffman-lab-key: не удалось прочитать изображение ") + path
                + QStringLiteral(": ") + read.reason + QLatin1Char('\n'));
        return Unreadable;
    }
    // Mended damage is said, as the window says it; the answers are those of the mended picture.
    if (!read.warning.isEmpty())
        write(stderr,
            QStringLiteral("huffman-lab-key: ") + path + QStringLiteral(": ") + read.warning
                + QLatin1Char('\n'));
    QImage picture = read.image;
    // The report names the picture as the window does; a converted one says so.
    QString name = path;
    if (grey && !BitPlanes::isGrey(picture)) {
        picture = GreyConversion::toGrey(picture);
        if (picture.isNull())
            return noMemoryForPlanes(path, read.image);
        name = GreyConversion::nameOf(path);
    }

    if (summary) {
        QList<PlaneFigures> figures;
        if (!BitPlanes::isGrey(picture)) {
            figures.append(PlaneSummary::of(picture, 0));
        } else {
            const QList<QImage> planes = BitPlanes::split(picture);
            if (planes.size() != BitPlanes::count)
                return noMemoryForPlanes(path, picture);
            for (int number = plane ? *plane : 1; number <= (plane ? *plane : BitPlanes::count);
                 ++number)
                figures.append(PlaneSummary::of(planes.at(number - 1), number));
        }
        if (csv) {
            const QByteArray bytes = summaryCsv(figures);
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        } else {
            for (const PlaneFigures &line : std::as_const(figures))
                write(stdout, summaryLine(line));
        }
        return Success;
    }

    if (!BitPlanes::isGrey(picture)) {
        // The window analyses a colour picture whole and names it without a plane, wherever
        // the dial stands.
        write(stdout,
            section(QStringLiteral("# picture"), picture, PlaneReport::imageParagraph(name)));
        return Success;
    }

    const QList<QImage> planes = BitPlanes::split(picture);
    if (planes.size() != BitPlanes::count)
        return noMemoryForPlanes(path, picture);
    const int from = plane ? *plane : 1;
    const int to = plane ? *plane : BitPlanes::count;
    for (int number = from; number <= to; ++number) {
        if (number > from)
            write(stdout, QStringLiteral("\n"));
        write(stdout,
            section(QStringLiteral("# plane ") + QString::number(number), planes.at(number - 1),
                PlaneReport::imageParagraph(name, number)));
    }
    return Success;
}

// --- report: the teacher's model lab report ---------------------------------------------------

// "1,3,8" as plane numbers; empty with the reason when a number is not a plane.
QList<int> planeList(const QString &text, QString *error)
{
    QList<int> planes;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok || number < 1 || number > BitPlanes::count) {
            *error = QStringLiteral("номер плоскости должен быть от 1 до 8, а не ") + part;
            return {};
        }
        if (!planes.contains(number))
            planes.append(number);
    }
    return planes;
}

int reportMode(const QStringList &arguments)
{
    QStringList positional;
    QString output;
    QList<int> planes;
    bool fullTables = false;
    bool grey = false;
    std::optional<Variant> variant;
    ReportFields fields;
    // The value of an option given as "--opt VALUE" or "--opt=VALUE"; false when it has none.
    auto value = [&](qsizetype &i, const QString &option, QString *text) {
        const QString &argument = arguments.at(i);
        if (argument == option) {
            if (i + 1 >= arguments.size())
                return false;
            *text = arguments.at(++i);
            return true;
        }
        *text = argument.mid(option.size() + 1);
        return true;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString text;
        auto is = [&](const char *option) {
            const QString name = QLatin1String(option);
            return argument == name || argument.startsWith(name + u'=');
        };
        if (argument == QLatin1String("--full-tables")) {
            fullTables = true;
        } else if (argument == QLatin1String("--grey")) {
            grey = true;
        } else if (is("-o") || is("--output")) {
            if (!value(i,
                    argument.startsWith(QLatin1String("--")) ? QStringLiteral("--output")
                                                             : QStringLiteral("-o"),
                    &text)
                || text.isEmpty())
                return badArguments(QStringLiteral("после -o нужен файл отчета"));
            output = text;
        } else if (is("--plane")) {
            if (!value(i, QStringLiteral("--plane"), &text))
                return badArguments(QStringLiteral("после --plane нужны номера плоскостей"));
            QString error;
            planes = planeList(text, &error);
            if (planes.isEmpty())
                return badArguments(error);
        } else if (is("--field")) {
            if (!value(i, QStringLiteral("--field"), &text))
                return badArguments(QStringLiteral("после --field нужно КЛЮЧ=ЗНАЧЕНИЕ"));
            const qsizetype equals = text.indexOf(QLatin1Char('='));
            const QString key = text.left(equals).trimmed().toLower();
            if (equals < 0 || !ReportFields::isKey(key))
                return badArguments(QStringLiteral("неизвестное поле титульного листа «%1»; "
                                                   "ключи: ")
                                        .arg(text.left(equals))
                    + [] {
                          QStringList keys;
                          for (const ReportFields::Field &field : ReportFields::fields())
                              keys << field.key;
                          return keys.join(QStringLiteral(", "));
                      }());
            fields.set(key, text.mid(equals + 1));
        } else if (is("--variant")) {
            if (variant)
                return badArguments(QStringLiteral("--variant задан дважды"));
            if (!value(i, QStringLiteral("--variant"), &text))
                return badArguments(QStringLiteral("после --variant нужен номер варианта"));
            QString error;
            variant = Variants::parse(text, &error);
            if (!variant)
                return badArguments(error);
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return badArguments(QStringLiteral("неизвестный параметр ") + argument);
        } else {
            positional.append(argument);
        }
    }
    if (positional.isEmpty())
        return badArguments(QStringLiteral("не задано имя студента"));
    if (positional.size() < 2 && !variant)
        return badArguments(QStringLiteral("не задано изображение"));
    if (positional.size() > 2)
        return badArguments(QStringLiteral("лишний аргумент ") + positional.at(2)
            + QStringLiteral(" (имя из нескольких слов берется в кавычки)"));
    if (output.isEmpty())
        return badArguments(QStringLiteral("не задан файл отчета (-o ФАЙЛ.odt или -o ФАЙЛ.pdf)"));
    const QString name = FieldText::name(positional.at(0));
    const QString refused = refusal(name);
    if (!refused.isEmpty())
        return badArguments(refused);
    if (variant) {
        // The variant's picture and plane; any given beside it must be the same.
        const QString disagreement = Variants::disagreement(
            *variant, positional.value(1), planes.size() == 1 ? planes.first() : 0);
        if (!disagreement.isEmpty())
            return badArguments(disagreement);
        if (planes.size() > 1)
            return badArguments(QStringLiteral("у варианта %1 одна плоскость, %2; --plane задает "
                                               "больше")
                                    .arg(variant->number)
                                    .arg(variant->plane));
        planes = {variant->plane};
    }
    if (planes.isEmpty()) {
        for (int number = 1; number <= BitPlanes::count; ++number)
            planes.append(number);
    }

    // A built-in picture by the name the window's list gives it, otherwise a file.
    const QString pictureArgument = variant ? variant->picture : positional.at(1);
    const QString resource = BuiltInPictures::resourcePath(pictureArgument);
    const QString path = resource.isEmpty() ? pictureArgument : resource;
    const PictureReader::Result read = PictureReader::read(path);
    if (!read.ok()) {
        write(stderr,
            QStringLiteral("huffman-lab-key: не удалось прочитать изображение ") + pictureArgument
                + QStringLiteral(": ") + read.reason + QLatin1Char('\n'));
        return Unreadable;
    }
    QImage picture = read.image;
    QString pictureName = pictureArgument;
    if (!BitPlanes::isGrey(picture)) {
        if (!grey)
            return badArguments(QStringLiteral("изображение ") + pictureArgument
                + QStringLiteral(" цветное, а отчет описывает битовые плоскости: --grey "
                                 "преобразует его в оттенки серого, как кнопка окна"));
        picture = GreyConversion::toGrey(picture);
        if (picture.isNull())
            return noMemoryForPlanes(pictureArgument, read.image);
        pictureName = GreyConversion::nameOf(pictureArgument);
    }
    LabReport::Input input
        = LabReport::model(name, picture, pictureName, planes, fields, fullTables);
    if (variant)
        input.variant = variant->number;
    if (input.planes.isEmpty())
        return noMemoryForPlanes(pictureArgument, picture);
    const FileSaver::Result saved = LabReport::save(output, LabReport::document(input));
    if (!saved.ok()) {
        write(stderr,
            QStringLiteral("huffman-lab-key: не удалось записать отчет ") + output
                + QStringLiteral(": ") + saved.reason + QLatin1Char('\n'));
        return Unreadable;
    }
    return Success;
}

// The toolkit's own warnings ("qt.gui.imageio.jpeg: Corrupt JPEG data...") are English and say
// nothing the tool's own messages do not; they reach the terminal only when asked for.
void toolkitMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        write(stderr, QStringLiteral("huffman-lab-key: внутренняя ошибка: ") + message + u'\n');
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // The output is UTF-8; a Windows console shows it so only when told. (The arguments come to
    // QCoreApplication as UTF-16 from Windows, whatever the console's code page.)
    SetConsoleOutputCP(CP_UTF8);
    // Lines end in LF as on Linux, so a class list or CSV written here reads the same there.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (qEnvironmentVariableIsEmpty("HUFFMAN_LAB_KEY_DEBUG"))
        qInstallMessageHandler(toolkitMessage);
    // The report lays out text and draws pictures: that needs Qt Gui's fonts, and so a
    // QGuiApplication; with no display to show anything on, its offscreen platform.
    const bool gui = argc > 1 && qstrcmp(argv[1], "report") == 0;
#ifndef Q_OS_WIN
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    const std::unique_ptr<QCoreApplication> application = gui
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);

    const QStringList options = arguments.mid(0, arguments.indexOf(QLatin1String("--")));
    int result = BadArguments;
    if (options.contains(QLatin1String("--help")) || options.contains(QLatin1String("-h"))) {
        write(stdout, help());
        result = Success;
    } else if (arguments.isEmpty()) {
        result = badArguments(QStringLiteral("не задан режим"));
    } else if (arguments.first() == QLatin1String("name")) {
        result = nameMode(arguments.mid(1));
    } else if (arguments.first() == QLatin1String("check")) {
        result = checkMode(arguments.mid(1));
    } else if (arguments.first() == QLatin1String("picture")) {
        result = pictureMode(arguments.mid(1));
    } else if (arguments.first() == QLatin1String("names")) {
        result = classMode(KeyClass::names(arguments.mid(1)));
    } else if (arguments.first() == QLatin1String("check-all")) {
        result = classMode(KeyClass::checkAll(arguments.mid(1)));
    } else if (arguments.first() == QLatin1String("report")) {
        result = reportMode(arguments.mid(1));
    } else if (arguments.first() == QLatin1String("check-results")) {
        result = classMode(
            KeyGrading::checkResults(arguments.mid(1), KeyGrading::variantTable()));
    } else if (arguments.first() == QLatin1String("variants")) {
        result = classMode(KeyClass::variants(arguments.mid(1)));
    } else {
        result = badArguments(QStringLiteral("неизвестный режим ") + arguments.first());
    }
    std::fflush(stdout);
    return result;
}
