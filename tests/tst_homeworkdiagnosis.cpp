// SPDX-License-Identifier: GPL-3.0-or-later
#include "homeworkdiagnosis.h"
#include "namecode.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <vector>

using Kind = HomeworkDiagnosis::Kind;

namespace {

// The numbers behind a diagnosis in one line, so that a table row can state them.
QString detailOf(const HomeworkDiagnosis &d)
{
    const HuffmanConstruction &c = d.construction;
    const auto nodes = [&c](const QList<int> &list) {
        QStringList texts;
        for (const int node : list)
            texts << c.nodeText(node);
        return texts.join(QStringLiteral(", "));
    };
    switch (d.kind) {
    case Kind::Right:
    case Kind::Unreachable:
        return {};
    case Kind::Format:
        return d.countsRight ? QStringLiteral("counts right") : QStringLiteral("counts wrong");
    case Kind::Count:
        return QStringLiteral("%1 of %2").arg(d.codewords).arg(d.characters);
    case Kind::Kraft:
        return d.kraftSign > 0 ? QStringLiteral("above") : QStringLiteral("below");
    case Kind::Suboptimal:
        return QStringLiteral("%1 > %2").arg(d.cost).arg(d.optimalCost);
    case Kind::Tie:
        return QStringLiteral("step %1: %2 -> %3")
            .arg(QString::number(d.tieStep), nodes(d.labNodes), nodes(d.otherNodes));
    }
    return {};
}

// An independent, plain search: every node a construction may take, one by one, no memory.
struct PlainNode
{
    int count = 0;
    std::vector<int> profile; // characters per depth below the node
    bool operator<(const PlainNode &other) const
    {
        return std::tie(count, profile) < std::tie(other.count, other.profile);
    }
    bool operator==(const PlainNode &other) const
    {
        return count == other.count && profile == other.profile;
    }
};
using PlainState = std::vector<PlainNode>;

// The (first, second) a construction may take: the least count, then the least of the rest.
std::vector<std::pair<size_t, size_t>> plainTakes(const PlainState &state)
{
    std::vector<std::pair<size_t, size_t>> takes;
    int least = state[0].count;
    for (const PlainNode &node : state)
        least = std::min(least, node.count);
    for (size_t i = 0; i < state.size(); ++i) {
        if (state[i].count != least)
            continue;
        int next = INT_MAX;
        for (size_t j = 0; j < state.size(); ++j) {
            if (j != i)
                next = std::min(next, state[j].count);
        }
        for (size_t j = 0; j < state.size(); ++j) {
            if (j != i && state[j].count == next)
                takes.emplace_back(i, j);
        }
    }
    return takes;
}

PlainState plainAfter(const PlainState &state, size_t i, size_t j)
{
    PlainNode merged {state[i].count + state[j].count,
        std::vector<int>(std::max(state[i].profile.size(), state[j].profile.size()) + 1, 0)};
    for (const size_t k : {i, j}) {
        for (size_t d = 0; d < state[k].profile.size(); ++d)
            merged.profile[d + 1] += state[k].profile[d];
    }
    PlainState next;
    for (size_t k = 0; k < state.size(); ++k) {
        if (k != i && k != j)
            next.push_back(state[k]);
    }
    next.push_back(merged);
    return next;
}

std::vector<int> countersOf(const PlainNode &root)
{
    return std::vector<int>(root.profile.begin() + 1, root.profile.end());
}

void plainFinals(const PlainState &state, std::set<std::vector<int>> *finals)
{
    if (state.size() == 1) {
        finals->insert(countersOf(state[0]));
        return;
    }
    for (const auto &[i, j] : plainTakes(state))
        plainFinals(plainAfter(state, i, j), finals);
}

bool plainReaches(const PlainState &state, const std::vector<int> &target)
{
    std::set<std::vector<int>> finals;
    plainFinals(state, &finals);
    return finals.count(target) > 0;
}

PlainState sorted(PlainState state)
{
    std::sort(state.begin(), state.end());
    return state;
}

// Every complete list of `counts.size()` lengths costing `optimal` when the shortest go to the
// most frequent characters.
std::vector<std::vector<int>> optimalLists(std::vector<int> counts, qint64 optimal)
{
    std::sort(counts.rbegin(), counts.rend());
    std::vector<std::vector<int>> found;
    std::vector<int> list;
    std::function<void(int, size_t, qint64)> extend = [&](int places, size_t given, qint64 cost) {
        if (given == counts.size()) {
            if (places == 0 && cost == optimal)
                found.push_back(list);
            return;
        }
        if (places == 0 || places > int(counts.size() - given))
            return;
        for (int here = 0; here <= places && given + size_t(here) <= counts.size(); ++here) {
            qint64 added = 0;
            for (size_t k = given; k < given + size_t(here); ++k)
                added += qint64(counts[k]) * qint64(list.size() + 1);
            list.push_back(here);
            extend(2 * (places - here), given + size_t(here), cost + added);
            list.pop_back();
        }
    };
    extend(2, 0, 0);
    return found;
}

QString textOf(const std::vector<int> &counters)
{
    QStringList texts;
    for (const int counter : counters)
        texts << QString::number(counter);
    return texts.join(QLatin1Char(','));
}

// Neither the expected counters nor a codeword of three or more bits may show.
void verifyGivesNothingAway(const HomeworkDiagnosis &d)
{
    const HuffmanConstruction &c = d.construction;
    QStringList expected;
    for (const int counter : c.counters)
        expected << QString::number(counter);
    if (expected.size() > 1)
        QVERIFY2(!d.text.contains(expected.join(QLatin1Char(','))), qPrintable(d.text));
    static const QRegularExpression bits(QStringLiteral("[01]{3,}"));
    for (auto match = bits.globalMatch(d.text); match.hasNext();) {
        const QString token = match.next().captured();
        QVERIFY2(!c.codes.contains(token), qPrintable(d.text));
    }
}

} // namespace

class tst_HomeworkDiagnosis : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data();
    void kinds();
    void reasons_data();
    void reasons();
    void againstPlainSearch();
    void searchCutShort();
};

void tst_HomeworkDiagnosis::kinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("detail");

    const QString mama = QStringLiteral("Мама Мыла Раму");
    QTest::newRow("worked example") << mama << "0,3,0,4" << Kind::Right << "";
    QTest::newRow("other tie break: the space instead of the merged pair")
        << mama << "0,2,3,2" << Kind::Tie << "step 3: {у, ы} 2/14 -> « » 2/14";
    QTest::newRow("six codewords for seven characters")
        << mama << "0,3,0,3" << Kind::Count << "6 of 7";
    QTest::newRow("three codewords of length 1") << mama << "3,0,4" << Kind::Kraft << "above";
    QTest::newRow("1,1,5") << mama << "1,1,5" << Kind::Kraft << "above";
    QTest::newRow("incomplete code") << mama << "0,2,2,3" << Kind::Kraft << "below";
    // 1 + 2^-60: a sum in doubles would call it exactly 1.
    QTest::newRow("one codeword too many at length 60")
        << mama << QStringLiteral("1,1,1,1,2,") + QString("0,").repeated(54) + QStringLiteral("1")
        << Kind::Kraft << "above";
    QTest::newRow("complete but costlier") << mama << "1,1,0,3,2" << Kind::Suboptimal << "38 > 36";
    QTest::newRow("trailing comma") << mama << "0,3,0,4," << Kind::Format << "counts right";
    QTest::newRow("leading zero") << mama << "00,3,0,4" << Kind::Format << "counts right";
    QTest::newRow("trailing zero counter") << mama << "0,3,0,4,0" << Kind::Format << "counts right";
    QTest::newRow("two commas") << mama << "0,,3,0,4" << Kind::Format << "counts right";
    QTest::newRow("a space after a comma") << mama << "0, 3,0,4" << Kind::Format << "counts right";
    QTest::newRow("leading zero, other counts")
        << mama << "0,2,03,2" << Kind::Format << "counts wrong";
    QTest::newRow("empty") << mama << "" << Kind::Format << "counts wrong";
    QTest::newRow("only a zero") << mama << "0" << Kind::Format << "counts wrong";
    QTest::newRow("another name's tie break costs more here")
        << "Иванов Иван Иванович"
        << "0,3,0,4" << Kind::Suboptimal << "56 > 54";
    QTest::newRow("two merged nodes or two letters")
        << "Ааббввгдеж"
        << "0,3,0,4" << Kind::Tie << "step 3: {г, д} 2/10, {е, ж} 2/10 -> «б» 2/10, «в» 2/10";
    // The floats split «в» 5/27 from {д, е} 5/27 at step 2; both constructions' answers are right.
    QTest::newRow("float sums decide: the floats' answer")
        << "Аааааааббббббвввввггггдддее"
        << "0,2,4" << Kind::Right << "";
    QTest::newRow("float sums decide: the exact answer")
        << "Аааааааббббббвввввггггдддее"
        << "0,3,1,2" << Kind::Right << "";
    const QString andreeva = QStringLiteral("Андреева Вероника Аркадьевна");
    QTest::newRow("two right answers: the floats'") << andreeva << "0,1,3,5,2" << Kind::Right << "";
    QTest::newRow("two right answers: the exact one")
        << andreeva << "0,1,4,3,1,2" << Kind::Right << "";
    QTest::newRow("two right answers, a third optimal one is a tie")
        << andreeva << "0,1,4,2,4" << Kind::Tie << "step 2: {о, ь} 2/28 -> «к» 2/28";
    QTest::newRow("one character") << "А"
                                   << "1" << Kind::Right << "";
    QTest::newRow("one character, a codeword of 2 bits") << "А"
                                                         << "0,1" << Kind::Kraft << "below";
    QTest::newRow("one character, two codewords") << "А"
                                                  << "2" << Kind::Count << "2 of 1";
}

void tst_HomeworkDiagnosis::kinds()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(Kind, kind);
    QFETCH(QString, detail);

    const HomeworkDiagnosis diagnosis = HomeworkDiagnosis::of(name, counters);
    QCOMPARE(HomeworkDiagnosis::kindName(diagnosis.kind), HomeworkDiagnosis::kindName(kind));
    QCOMPARE(detailOf(diagnosis), detail);
    QCOMPARE(diagnosis.text.isEmpty(), kind == Kind::Right);
    verifyGivesNothingAway(diagnosis);
}

void tst_HomeworkDiagnosis::reasons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<QString>("phrase");

    QTest::newRow("a merged node before a symbol")
        << "Мама Мыла Раму"
        << "0,2,3,2"
        << "Правило лабораторной работы берет первым {у, ы}: объединенный узел ставится в конец "
           "списка";
    // Explained by the exact construction, which a student can follow: no rounding in it.
    QTest::newRow("a third answer beside two right ones")
        << "Андреева Вероника Аркадьевна"
        << "0,1,4,2,4"
        << "Правило лабораторной работы берет первым {о, ь}: объединенный узел ставится в конец "
           "списка";
    QTest::newRow("count reminds of the space and of capitals")
        << "Мама Мыла Раму"
        << "0,3,0,3"
        << "Кодовых слов в списке: 6, а различных символов в имени: 7, у каждого символа свое "
           "кодовое слово. Пробел между словами — тоже символ, а заглавная и строчная формы "
           "буквы — один символ.";
    QTest::newRow("kraft gives the exact sum") << "Мама Мыла Раму"
                                               << "1,1,5"
                                               << "равна 11/8";
    QTest::newRow("suboptimal gives both averages")
        << "Мама Мыла Раму"
        << "1,1,0,3,2"
        << "в среднем 2.714 бит на символ, а код Хаффмана дает 2.571";
}

void tst_HomeworkDiagnosis::reasons()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(QString, phrase);

    const QString text = HomeworkDiagnosis::of(name, counters).text;
    QVERIFY2(text.contains(phrase), qPrintable(text));
}

// On many small names, for every answer as short as the lab's: a tie step is one where another
// choice truly leads to the answer and no earlier step has such a choice, unreachable only when no
// order of choices gives it, and otherCountersPossible agrees with the full set of outcomes.
void tst_HomeworkDiagnosis::againstPlainSearch()
{
    const QString letters = QStringLiteral("абвгдежз");
    QRandomGenerator random(11);
    int ties = 0;
    for (int round = 0; round < 400; ++round) {
        const int distinct = 2 + int(random.bounded(6));
        QString name;
        for (int i = 0; i < distinct; ++i)
            name += QString(1 + int(random.bounded(round % 3 ? 4 : 7)), letters.at(i));
        if (round % 2)
            name.insert(1, QStringLiteral(" "));

        const HomeworkDiagnosis lab = HomeworkDiagnosis::of(name, QString());
        const HuffmanConstruction &c = lab.construction;
        PlainState leaves;
        std::vector<int> counts;
        for (qsizetype i = 0; i < c.letters.size(); ++i) {
            leaves.push_back({c.nodes.at(i).count, {1}});
            counts.push_back(c.nodes.at(i).count);
        }
        std::set<std::vector<int>> finals;
        plainFinals(leaves, &finals);
        // Right: the exact construction's counters (the diagnosis's own) and the lab's floats'.
        const QList<int> floats = NameCode::analyse(name).counters;
        const std::set<std::vector<int>> right {std::vector<int>(c.counters.begin(), c.counters.end()),
            std::vector<int>(floats.begin(), floats.end())};
        QVERIFY(std::includes(finals.begin(), finals.end(), right.begin(), right.end()));
        QCOMPARE(HomeworkDiagnosis::otherCountersPossible(name),
            std::optional<bool>(finals.size() > right.size()));

        for (const std::vector<int> &target : optimalLists(counts, c.cost())) {
            const HomeworkDiagnosis d = HomeworkDiagnosis::of(name, textOf(target));
            const QByteArray what = (name + QStringLiteral(" / ") + textOf(target)).toUtf8();
            verifyGivesNothingAway(d);
            if (right.count(target)) {
                QVERIFY2(d.kind == Kind::Right, what);
                continue;
            }
            QVERIFY2(d.kind == (finals.count(target) ? Kind::Tie : Kind::Unreachable), what);
            if (d.kind != Kind::Tie)
                continue;
            QVERIFY2(d.tieStep >= 1, what);
            ++ties;

            std::map<int, PlainNode> live;
            for (qsizetype i = 0; i < c.letters.size(); ++i)
                live[int(i)] = leaves[size_t(i)];
            const auto state = [&live](std::vector<int> *ids) {
                PlainState nodes;
                for (const auto &[id, node] : live) {
                    ids->push_back(id);
                    nodes.push_back(node);
                }
                return nodes;
            };
            for (int s = 0; s < d.tieStep; ++s) {
                const HuffmanConstruction::Step &step = c.steps.at(s);
                std::vector<int> ids;
                const PlainState nodes = state(&ids);
                const auto at = [&ids](int id) {
                    return size_t(std::find(ids.begin(), ids.end(), id) - ids.begin());
                };
                const auto takes = plainTakes(nodes);
                const auto allowed = [&takes](size_t i, size_t j) {
                    return std::find(takes.begin(), takes.end(), std::make_pair(i, j))
                        != takes.end()
                        || std::find(takes.begin(), takes.end(), std::make_pair(j, i))
                        != takes.end();
                };
                if (s + 1 < d.tieStep) {
                    const PlainState labNext
                        = sorted(plainAfter(nodes, at(step.first), at(step.second)));
                    for (const auto &[i, j] : takes) {
                        const PlainState next = plainAfter(nodes, i, j);
                        if (sorted(next) != labNext)
                            QVERIFY2(!plainReaches(next, target),
                                what + " earlier step " + QByteArray::number(s + 1));
                    }
                    live[step.merged] = plainAfter(nodes, at(step.first), at(step.second)).back();
                    live.erase(step.first);
                    live.erase(step.second);
                    continue;
                }
                QList<int> pair {step.first, step.second};
                for (qsizetype k = 0; k < d.labNodes.size(); ++k)
                    pair[pair.indexOf(d.labNodes.at(k))] = d.otherNodes.at(k);
                QVERIFY2(allowed(at(pair.at(0)), at(pair.at(1))), what);
                QVERIFY2(
                    plainReaches(plainAfter(nodes, at(pair.at(0)), at(pair.at(1))), target), what);
            }
        }
    }
    QVERIFY(ties > 100);
}

// Beyond its budget the search stops; the answer is still called a tie, without a step.
void tst_HomeworkDiagnosis::searchCutShort()
{
    const HomeworkDiagnosis d = HomeworkDiagnosis::of("Мама Мыла Раму", "0,2,3,2", 1);
    QCOMPARE(HomeworkDiagnosis::kindName(d.kind), "tie");
    QCOMPARE(d.tieStep, 0);
    QVERIFY(!d.text.contains(QStringLiteral("на шаге")));
    QVERIFY(d.text.contains(QStringLiteral("тоже оптимален")));
}

QTEST_GUILESS_MAIN(tst_HomeworkDiagnosis)
#include "tst_homeworkdiagnosis.moc"
