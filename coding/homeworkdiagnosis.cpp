// SPDX-License-Identifier: GPL-3.0-or-later
#include "homeworkdiagnosis.h"

#include "namecode.h"
#include "tiesearch.h"

#include <QStringList>

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>
#include <vector>

namespace {

using Kind = HomeworkDiagnosis::Kind;

// Numbers beyond any name's size are all alike here; capping keeps sums from overflowing.
constexpr qint64 numberCap = qint64(1) << 40;

qint64 cappedNumber(QStringView digits)
{
    qint64 value = 0;
    for (const QChar digit : digits)
        value = std::min(numberCap, value * 10 + (digit.unicode() - '0'));
    return value;
}

bool allDigits(QStringView text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// What is wrong with the way the counters are written, or an empty text when nothing is.
QString writingProblem(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("Список счетчиков пуст.");
    for (const QChar c : text) {
        if (c != u',' && !(c >= u'0' && c <= u'9'))
            return QStringLiteral("В списке есть знак «%1», а допускаются только цифры и запятые.")
                .arg(c == u' ' ? QStringLiteral("пробел") : QString(c));
    }
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.constFirst().isEmpty())
        return QStringLiteral("Список начинается с запятой.");
    if (fields.constLast().isEmpty())
        return QStringLiteral("В конце списка стоит лишняя запятая.");
    for (const QString &field : fields) {
        if (field.isEmpty())
            return QStringLiteral("В списке две запятые подряд, между ними нет числа.");
    }
    for (const QString &field : fields) {
        if (field.size() > 1 && field.startsWith(QLatin1Char('0')))
            return QStringLiteral("Число «%1» записано с ведущим нулем.").arg(field);
    }
    if (fields.constLast() == QLatin1String("0"))
        return QStringLiteral("Список кончается нулем, а последним в нем стоит счетчик самой "
                              "большой длины кода, он не бывает нулем.");
    return {};
}

// The numbers as a reader would take them despite the writing: fields trimmed, empty ones and
// trailing zero counters dropped. Empty when some field is not a number at all.
std::optional<QList<qint64>> lenientNumbers(const QString &text)
{
    QList<qint64> numbers;
    for (const QString &field : text.split(QLatin1Char(','))) {
        const QString trimmed = field.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!allDigits(trimmed))
            return std::nullopt;
        numbers.append(cappedNumber(trimmed));
    }
    while (!numbers.isEmpty() && numbers.constLast() == 0)
        numbers.removeLast();
    return numbers;
}

// The exact sign of n1/2 + n2/4 + ... - 1, without fractions: carried from the longest length
// up, as whole units of 2^-k plus a flag for a remainder below.
int kraftSumSign(const QList<qint64> &counters)
{
    qint64 units = 0;
    bool remainder = false;
    for (qsizetype k = counters.size(); k-- > 0;) {
        remainder = remainder || (units % 2 != 0);
        units = std::min(numberCap, counters.at(k) + units / 2);
    }
    // units counts halves now
    if (units != 2)
        return units > 2 ? 1 : -1;
    return remainder ? 1 : 0;
}

// The Kraft sum as a reduced fraction, when it fits the integers.
QString kraftSumText(const QList<qint64> &counters, int characters)
{
    const qsizetype longest = counters.size();
    if (longest > 48 || characters >= (1 << 14))
        return {};
    quint64 numerator = 0;
    for (qsizetype k = 0; k < longest; ++k)
        numerator += quint64(counters.at(k)) << (longest - 1 - k);
    quint64 denominator = quint64(1) << longest;
    while (denominator > 1 && numerator % 2 == 0) {
        numerator /= 2;
        denominator /= 2;
    }
    if (denominator == 1)
        return QString::number(numerator);
    return QString::number(numerator) + QLatin1Char('/') + QString::number(denominator);
}

QString bitsPerCharacter(qint64 cost, int total)
{
    return QString::number(double(cost) / double(total), 'g', 4);
}

QList<TieSearch::Node> searchNodes(const HuffmanConstruction &construction, const QList<int> &live)
{
    QList<TieSearch::Node> result;
    result.reserve(live.size());
    for (const int index : live) {
        const HuffmanConstruction::Node &node = construction.nodes.at(index);
        TieSearch::Node searchNode {node.count, {}};
        for (const SymbolLength &entry : node.symbols) {
            if (searchNode.profile.size() <= entry.length)
                searchNode.profile.resize(entry.length + 1, 0);
            ++searchNode.profile[entry.length];
        }
        result.append(searchNode);
    }
    return result;
}

// The pairs (positions in live) a construction may take at this point: two of the least count,
// or the only one of the least count and one of the next.
QList<std::pair<int, int>> allowedPairs(const QList<TieSearch::Node> &nodes)
{
    QList<int> order(nodes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&nodes](int a, int b) { return nodes.at(a).count < nodes.at(b).count; });
    const int least = nodes.at(order.at(0)).count;
    const qsizetype ofLeast = std::count_if(
        nodes.begin(), nodes.end(), [least](const TieSearch::Node &n) { return n.count == least; });
    QList<std::pair<int, int>> pairs;
    if (ofLeast >= 2) {
        for (qsizetype i = 0; i < ofLeast; ++i) {
            for (qsizetype j = i + 1; j < ofLeast; ++j)
                pairs.append({order.at(i), order.at(j)});
        }
    } else {
        const int next = nodes.at(order.at(1)).count;
        for (qsizetype j = 1; j < order.size() && nodes.at(order.at(j)).count == next; ++j)
            pairs.append({order.at(0), order.at(j)});
    }
    return pairs;
}

bool sameNode(const TieSearch::Node &a, const TieSearch::Node &b)
{
    return a.count == b.count && a.profile == b.profile;
}

// Why the lab's code took node taken rather than the equal node passed, as a sentence.
QString whyTaken(const HuffmanConstruction &construction, int taken, int passed)
{
    const QString takenText = construction.nodeLabel(taken);
    if (passed > taken) {
        // The rule would have taken the later node; the float sums decided instead.
        return QStringLiteral("Программа берет первым %1: она хранит вероятности 32-битными "
                              "числами с плавающей точкой, и после округления у %1 вероятность "
                              "оказалась чуть меньше, чем у %2.")
            .arg(takenText, construction.nodeLabel(passed));
    }
    if (construction.nodes.at(passed).step == 0)
        return QStringLiteral("Правило лабораторной работы берет первым %1: объединенный узел "
                              "ставится в конец списка и поэтому из равных берется раньше "
                              "исходного символа.")
            .arg(takenText);
    return QStringLiteral("Правило лабораторной работы берет первым %1: из равных берется узел, "
                          "стоящий в списке последним, а %1 получен позже.")
        .arg(takenText);
}

QString optimalPrefix(const HomeworkDiagnosis &diagnosis)
{
    return QStringLiteral("Ваш код тоже оптимален (в среднем %1 бит на символ)")
        .arg(bitsPerCharacter(diagnosis.cost, diagnosis.construction.total));
}

void diagnoseTie(HomeworkDiagnosis &diagnosis, const QList<int> &target, qint64 stateBudget)
{
    const HuffmanConstruction &construction = diagnosis.construction;
    TieSearch search = TieSearch::reaching(target, stateBudget);
    QList<int> live;
    for (qsizetype i = 0; i < construction.letters.size(); ++i)
        live.append(int(i));

    bool undecided = false;
    for (qsizetype s = 0; s < construction.steps.size() && !undecided; ++s) {
        const HuffmanConstruction::Step &step = construction.steps.at(s);
        const QList<TieSearch::Node> nodes = searchNodes(construction, live);
        const int first = int(live.indexOf(step.first));
        const int second = int(live.indexOf(step.second));

        // Nodes alike in count and profile are one choice: each node's class is the first live
        // node alike.
        std::vector<int> classOf(size_t(nodes.size()));
        for (qsizetype i = 0; i < nodes.size(); ++i) {
            qsizetype same = 0;
            while (!sameNode(nodes.at(same), nodes.at(i)))
                ++same;
            classOf[size_t(i)] = int(same);
        }
        const auto classPair = [&classOf](int a, int b) {
            return std::minmax(classOf[size_t(a)], classOf[size_t(b)]);
        };
        // A node of that class standing in for one of the lab's two, the last in the list.
        const auto standIn = [&](int nodeClass, int besides) {
            for (int i = int(nodes.size()); i-- > 0;) {
                if (classOf[size_t(i)] == nodeClass && i != first && i != second && i != besides)
                    return i;
            }
            return -1;
        };

        // Other choices: those that keep the lab's first node tried first, then those that keep
        // its second, then those that keep neither.
        struct Choice
        {
            int rank;
            int a, b; // positions in live
            QList<int> labNodes, otherNodes;
        };
        QList<Choice> choices;
        std::set<std::pair<int, int>> seen {classPair(first, second)};
        for (const auto &[a, b] : allowedPairs(nodes)) {
            const auto [x, y] = classPair(a, b);
            if (!seen.insert({x, y}).second)
                continue;
            const int firstClass = classOf[size_t(first)];
            const int secondClass = classOf[size_t(second)];
            if (x == firstClass || y == firstClass) {
                const int other = standIn(x == firstClass ? y : x, -1);
                choices.append({0, first, other, {step.second}, {live.at(other)}});
            } else if (x == secondClass || y == secondClass) {
                const int other = standIn(x == secondClass ? y : x, -1);
                choices.append({1, second, other, {step.first}, {live.at(other)}});
            } else {
                int one = standIn(x, -1);
                int two = standIn(y, one);
                if (one > two)
                    std::swap(one, two);
                choices.append(
                    {2, one, two, {step.first, step.second}, {live.at(one), live.at(two)}});
            }
        }
        std::stable_sort(choices.begin(), choices.end(),
            [](const Choice &p, const Choice &q) { return p.rank < q.rank; });

        for (const Choice &choice : choices) {
            const TieSearch::Result result = search.searchAfterMerging(nodes, choice.a, choice.b);
            if (result == TieSearch::Result::Undecided) {
                undecided = true;
                break;
            }
            if (result == TieSearch::Result::Found) {
                diagnosis.tieStep = int(s) + 1;
                diagnosis.labNodes = choice.labNodes;
                diagnosis.otherNodes = choice.otherNodes;
                break;
            }
        }
        if (diagnosis.tieStep > 0)
            break;

        live.removeOne(step.first);
        live.removeOne(step.second);
        live.append(step.merged);
    }

    diagnosis.statesSearched = search.statesVisited();
    if (diagnosis.tieStep > 0) {
        diagnosis.kind = Kind::Tie;
        if (diagnosis.labNodes.size() == 1) {
            const int taken = diagnosis.labNodes.constFirst();
            const int passed = diagnosis.otherNodes.constFirst();
            diagnosis.text = optimalPrefix(diagnosis)
                + QStringLiteral(", но получен другим выбором среди равных вероятностей: на шаге "
                                 "%1 у узлов %2 и %3 вероятности равны, и ваши счетчики "
                                 "получаются, если взять %4. ")
                      .arg(QString::number(diagnosis.tieStep), construction.nodeText(taken),
                          construction.nodeText(passed), construction.nodeLabel(passed))
                + whyTaken(construction, taken, passed);
        } else {
            diagnosis.text = optimalPrefix(diagnosis)
                + QStringLiteral(", но получен другим выбором среди равных вероятностей: на шаге "
                                 "%1 программа берет %2 и %3, а ваши счетчики получаются, если "
                                 "взять равные им по вероятности %4 и %5.")
                      .arg(QString::number(diagnosis.tieStep),
                          construction.nodeText(diagnosis.labNodes.at(0)),
                          construction.nodeText(diagnosis.labNodes.at(1)),
                          construction.nodeText(diagnosis.otherNodes.at(0)),
                          construction.nodeText(diagnosis.otherNodes.at(1)));
        }
    } else if (undecided) {
        diagnosis.kind = Kind::Tie;
        diagnosis.text = optimalPrefix(diagnosis)
            + QStringLiteral(": такая же средняя длина получается при другом выборе среди узлов "
                             "равной вероятности. Правило лабораторной работы берет из равных "
                             "узел, стоящий в списке последним, а объединенный узел ставится в "
                             "конец списка.");
    } else {
        diagnosis.kind = Kind::Unreachable;
        diagnosis.text = QStringLiteral("Ваш код по средней длине (%1 бит на символ) не хуже кода "
                                        "Хаффмана, но алгоритм Хаффмана не дает таких длин ни при "
                                        "каком выборе среди равных вероятностей. Постройте дерево "
                                        "заново, на каждом шаге объединяя два узла с наименьшими "
                                        "вероятностями.")
                             .arg(bitsPerCharacter(diagnosis.cost, construction.total));
    }
}

} // namespace

HomeworkDiagnosis HomeworkDiagnosis::of(
    const QString &fullName, const QString &countersText, qint64 stateBudget)
{
    HomeworkDiagnosis diagnosis;
    // A wrong answer is explained against the construction a student can reproduce by hand:
    // fractions compared exactly, equal ones decided by the order of the list.
    diagnosis.construction
        = HuffmanConstruction::ofName(fullName, HuffmanConstruction::Arithmetic::Exact);
    const HuffmanConstruction &construction = diagnosis.construction;
    diagnosis.characters = int(construction.letters.size());

    const NameStatistics statistics = NameCode::analyse(fullName);
    if (statistics.answers().contains(countersText)) {
        diagnosis.kind = Kind::Right;
        return diagnosis;
    }

    const QString problem = writingProblem(countersText);
    if (!problem.isEmpty()) {
        diagnosis.kind = Kind::Format;
        const std::optional<QList<qint64>> numbers = lenientNumbers(countersText);
        const auto widened = [](const QList<int> &counters) {
            QList<qint64> wide;
            for (const int counter : counters)
                wide.append(counter);
            return wide;
        };
        diagnosis.countsRight = numbers && !numbers->isEmpty()
            && (*numbers == widened(statistics.counters)
                || *numbers == widened(statistics.exactCounters));
        diagnosis.text = problem + QLatin1Char(' ')
            + (diagnosis.countsRight
                    ? QStringLiteral("Сами числа посчитаны верно, исправьте только запись.")
                    : QStringLiteral("Запишите счетчики десятичными числами без ведущих нулей "
                                     "через одну запятую, без пробелов; последний счетчик не "
                                     "бывает нулем."));
        return diagnosis;
    }

    QList<qint64> counters;
    for (const QString &field : countersText.split(QLatin1Char(',')))
        counters.append(cappedNumber(field));
    for (const qint64 counter : std::as_const(counters))
        diagnosis.codewords = std::min(numberCap, diagnosis.codewords + counter);

    if (diagnosis.codewords != diagnosis.characters) {
        diagnosis.kind = Kind::Count;
        diagnosis.text = QStringLiteral("Кодовых слов в списке: %1, а различных символов в имени: "
                                        "%2, у каждого символа свое кодовое слово. Пробел между "
                                        "словами — тоже символ, а заглавная и строчная формы "
                                        "буквы — один символ.")
                             .arg(diagnosis.codewords)
                             .arg(diagnosis.characters);
        return diagnosis;
    }

    if (diagnosis.characters == 1) {
        // One symbol has no complete code at all; the lab gives it one codeword of its own.
        diagnosis.kind = Kind::Kraft;
        diagnosis.kraftSign = kraftSumSign(counters);
        diagnosis.text = QStringLiteral("В имени только один различный символ: полного кода для "
                                        "него не бывает, и в лабораторной работе ему дается самое "
                                        "короткое кодовое слово.");
        return diagnosis;
    }

    diagnosis.kraftSign = kraftSumSign(counters);
    if (diagnosis.kraftSign != 0) {
        diagnosis.kind = Kind::Kraft;
        const QString sum = kraftSumText(counters, diagnosis.characters);
        const QString value = sum.isEmpty()
            ? QString()
            : QStringLiteral(" равна ") + sum + QStringLiteral(", а это");
        diagnosis.text = diagnosis.kraftSign > 0
            ? QStringLiteral("Сумма Крафта n1/2 + n2/4 + n3/8 + … для этого списка%1 больше 1: "
                             "префиксного кода с такими длинами кодовых слов не существует.")
                  .arg(value)
            : QStringLiteral("Сумма Крафта n1/2 + n2/4 + n3/8 + … для этого списка%1 меньше 1: "
                             "такой код неполный, в его дереве остается ветвь без символа, а код "
                             "Хаффмана всегда полный.")
                  .arg(value);
        return diagnosis;
    }

    // The student's lengths, shortest first, to the characters, most frequent first.
    std::vector<int> counts;
    for (const HuffmanConstruction::Node &node : construction.nodes) {
        if (node.step == 0)
            counts.push_back(node.count);
    }
    std::sort(counts.rbegin(), counts.rend());
    size_t next = 0;
    for (qsizetype k = 0; k < counters.size(); ++k) {
        for (qint64 i = 0; i < counters.at(k); ++i)
            diagnosis.cost += qint64(counts.at(next++)) * (k + 1);
    }
    diagnosis.optimalCost = construction.cost();
    if (diagnosis.cost > diagnosis.optimalCost) {
        diagnosis.kind = Kind::Suboptimal;
        diagnosis.text = QStringLiteral("Код с такими длинами не оптимален: даже если отдать самые "
                                        "короткие кодовые слова самым частым символам, выходит в "
                                        "среднем %1 бит на символ, а код Хаффмана дает %2 бит на "
                                        "символ. Проверьте, что на каждом шаге объединяются два "
                                        "узла с наименьшими вероятностями.")
                             .arg(bitsPerCharacter(diagnosis.cost, construction.total),
                                 bitsPerCharacter(diagnosis.optimalCost, construction.total));
        return diagnosis;
    }

    QList<int> target;
    for (const qint64 counter : std::as_const(counters))
        target.append(int(counter));
    diagnoseTie(diagnosis, target, stateBudget);
    return diagnosis;
}

QString HomeworkDiagnosis::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Right:
        return QStringLiteral("right");
    case Kind::Format:
        return QStringLiteral("format");
    case Kind::Count:
        return QStringLiteral("count");
    case Kind::Kraft:
        return QStringLiteral("kraft");
    case Kind::Suboptimal:
        return QStringLiteral("suboptimal");
    case Kind::Tie:
        return QStringLiteral("tie");
    case Kind::Unreachable:
        return QStringLiteral("unreachable");
    }
    return {};
}

std::optional<bool> HomeworkDiagnosis::otherCountersPossible(const QString &fullName)
{
    const HuffmanConstruction construction = HuffmanConstruction::ofName(fullName);
    if (construction.letters.size() < 2)
        return false;
    const NameStatistics statistics = NameCode::analyse(fullName);
    QList<int> letters;
    for (qsizetype i = 0; i < construction.letters.size(); ++i)
        letters.append(int(i));
    TieSearch search = TieSearch::avoiding({statistics.counters, statistics.exactCounters});
    switch (search.search(searchNodes(construction, letters))) {
    case TieSearch::Result::Found:
        return true;
    case TieSearch::Result::NotFound:
        return false;
    case TieSearch::Result::Undecided:
        break;
    }
    return std::nullopt;
}
