// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the homework diagnosis on the hardest names the name field admits: up to 33 letters
// and the space, with many characters of equal count.
//
//   cmake --build build --target bench_diagnosis
//   build/bench/bench_diagnosis [runs]     times the diagnosis of every optimal answer the hardest
//                                          names have (reachable ones and their near misses)
//   build/bench/bench_diagnosis --scan     ranks every letter-count distribution of 24 to 33
//                                          letters (each 1 to 6 times, 60 letters at most, 0 to
//                                          2 spaces) by the most states the diagnosis of one of
//                                          its optimal answers searches, and names the one whose
//                                          construction can pass through the most states at all
//                                          (a quarter of an hour)
//
// The names timed by default are the top of the --scan ranking.

#include "benchtiming.h"
#include "homeworkdiagnosis.h"
#include "huffmanconstruction.h"
#include "tiesearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

namespace {

const QString alphabet = QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюяё");

// A name the name field accepts: the letters, each its number of times, in as many words as there
// are spaces plus one (at most three of at most 20 letters), each word capitalised.
QString nameOf(const std::vector<int> &letterCounts, int spaces)
{
    QString letters;
    for (size_t i = 0; i < letterCounts.size(); ++i)
        letters += QString(letterCounts[i], alphabet.at(qsizetype(i)));
    const int words = spaces + 1;
    QStringList parts;
    qsizetype from = 0;
    for (int w = 0; w < words; ++w) {
        const qsizetype size = (letters.size() - from) / (words - w);
        QString word = letters.mid(from, size);
        word[0] = word.at(0).toUpper();
        parts.append(word);
        from += size;
    }
    return parts.join(QLatin1Char(' '));
}

QList<TieSearch::Node> leavesOf(const HuffmanConstruction &construction)
{
    QList<TieSearch::Node> nodes;
    for (const HuffmanConstruction::Node &node : construction.nodes) {
        if (node.step == 0)
            nodes.append(TieSearch::Node {node.count, {1}});
    }
    return nodes;
}

QString textOf(const std::vector<int> &counters)
{
    QStringList texts;
    for (const int counter : counters)
        texts.append(QString::number(counter));
    return texts.join(QLatin1Char(','));
}

// Counters of random constructions, each choice among equal counts taken at random.
std::set<std::vector<int>> randomConstructions(const HuffmanConstruction &construction, int walks)
{
    struct Node
    {
        int count;
        std::vector<int> profile;
    };
    QRandomGenerator random(7);
    std::set<std::vector<int>> found;
    for (int walk = 0; walk < walks; ++walk) {
        std::vector<Node> nodes;
        for (const TieSearch::Node &leaf : leavesOf(construction))
            nodes.push_back({leaf.count, {1}});
        while (nodes.size() > 1) {
            Node taken[2];
            for (Node &node : taken) {
                int least = nodes.front().count;
                for (const Node &n : nodes)
                    least = std::min(least, n.count);
                std::vector<size_t> candidates;
                for (size_t i = 0; i < nodes.size(); ++i) {
                    if (nodes[i].count == least)
                        candidates.push_back(i);
                }
                const size_t pick = candidates[random.bounded(quint32(candidates.size()))];
                node = nodes[pick];
                nodes.erase(nodes.begin() + qsizetype(pick));
            }
            Node merged {taken[0].count + taken[1].count,
                std::vector<int>(std::max(taken[0].profile.size(), taken[1].profile.size()) + 1)};
            for (const Node &node : taken) {
                for (size_t d = 0; d < node.profile.size(); ++d)
                    merged.profile[d + 1] += node.profile[d];
            }
            nodes.push_back(merged);
        }
        found.insert(
            std::vector<int>(nodes.front().profile.begin() + 1, nodes.front().profile.end()));
    }
    return found;
}

qint64 costOf(const std::vector<int> &counters, std::vector<int> counts)
{
    std::sort(counts.rbegin(), counts.rend());
    qint64 cost = 0;
    size_t next = 0;
    for (size_t k = 0; k < counters.size(); ++k) {
        for (int i = 0; i < counters[k]; ++i)
            cost += qint64(counts[next++]) * qint64(k + 1);
    }
    return cost;
}

// Every complete list of as many codewords that is as short on average as the lab's code: all
// the answers that get as far as the search.
std::vector<std::vector<int>> optimalLists(std::vector<int> counts, qint64 optimal)
{
    std::sort(counts.rbegin(), counts.rend());
    std::vector<qint64> rest(counts.size() + 1, 0); // rest[i]: counts from the i-th on
    for (size_t i = counts.size(); i-- > 0;)
        rest[i] = rest[i + 1] + counts[i];
    std::vector<std::vector<int>> found;
    std::vector<int> list;
    const int characters = int(counts.size());
    // places: free places at the next depth; given: characters with a codeword, the most frequent
    // first; cost: their count x length so far.
    std::function<void(qint64, int, qint64)> extend = [&](qint64 places, int given, qint64 cost) {
        const qint64 depth = qint64(list.size()) + 1;
        if (given == characters) {
            if (places == 0 && cost == optimal)
                found.push_back(list);
            return;
        }
        const int left = characters - given;
        if (places == 0 || places > left || cost + depth * rest[size_t(given)] > optimal)
            return;
        for (int here = int(std::min<qint64>(places, left)); here >= 0; --here) {
            list.push_back(here);
            extend(2 * (places - here), given + here,
                cost + depth * (rest[size_t(given)] - rest[size_t(given + here)]));
            list.pop_back();
        }
    };
    extend(2, 0, 0);
    return found;
}

struct Distribution
{
    QString name;
    qint64 states = 0; // the most any optimal answer's diagnosis searched
    qint64 allStates = 0; // the states its construction can pass through at all
};

std::vector<int> countsOf(const HuffmanConstruction &construction)
{
    std::vector<int> counts;
    for (const TieSearch::Node &leaf : leavesOf(construction))
        counts.push_back(leaf.count);
    return counts;
}

std::vector<Distribution> scan()
{
    std::vector<Distribution> all;
    std::vector<int> current;
    std::function<void(int, int)> extend = [&](int largest, int letters) {
        if (current.size() >= 24) {
            for (int spaces = 0; spaces <= 2; ++spaces) {
                const QString name = nameOf(current, spaces);
                const HuffmanConstruction construction = HuffmanConstruction::ofName(name);
                const std::vector<int> counts = countsOf(construction);
                const std::vector<int> lab(
                    construction.counters.begin(), construction.counters.end());
                qint64 most = 0;
                for (const std::vector<int> &list : optimalLists(counts, costOf(lab, counts))) {
                    most = std::max(most, HomeworkDiagnosis::of(name, textOf(list)).statesSearched);
                }
                all.push_back({name, most, TieSearch::stateCount(leavesOf(construction))});
            }
        }
        if (current.size() == 33)
            return;
        for (int count = 1; count <= largest && letters + count <= 60; ++count) {
            current.push_back(count);
            extend(count, letters + count);
            current.pop_back();
        }
    };
    extend(6, 0);
    std::sort(all.begin(), all.end(),
        [](const Distribution &a, const Distribution &b) { return a.states > b.states; });
    return all;
}

void timeName(const QString &name, int runs)
{
    const HuffmanConstruction construction = HuffmanConstruction::ofName(name);
    const std::vector<int> counts = countsOf(construction);
    const std::vector<int> lab(construction.counters.begin(), construction.counters.end());
    const std::set<std::vector<int>> reachable = randomConstructions(construction, 3000);
    const std::vector<std::vector<int>> lists = optimalLists(counts, costOf(lab, counts));

    double worst = 0;
    QString worstText;
    std::vector<double> all;
    qint64 mostStates = 0;
    int kinds[7] = {};
    for (const std::vector<int> &list : lists) {
        const QString text = textOf(list);
        HomeworkDiagnosis diagnosis;
        const double ms = medianMs(runs, [&] { diagnosis = HomeworkDiagnosis::of(name, text); });
        all.push_back(ms);
        ++kinds[int(diagnosis.kind)];
        mostStates = std::max(mostStates, diagnosis.statesSearched);
        if (ms > worst) {
            worst = ms;
            worstText = text + QStringLiteral(" (") + HomeworkDiagnosis::kindName(diagnosis.kind)
                + (diagnosis.kind == HomeworkDiagnosis::Kind::Tie && diagnosis.tieStep == 0
                        ? QStringLiteral(", search cut short")
                        : QString())
                + QLatin1Char(')');
        }
    }
    std::optional<bool> other;
    const double otherMs
        = medianMs(runs, [&] { other = HomeworkDiagnosis::otherCountersPossible(name); });
    std::printf(
        "%s: %d characters, %zu optimal answers (%d right, %d tie, %d unreachable, %zu "
        "found by random constructions); diagnosis median of answers %.2f ms, worst %.2f ms "
        "for %s, most states %lld; otherCountersPossible %.2f ms (%s)\n",
        qPrintable(name), int(counts.size()), lists.size(),
        kinds[int(HomeworkDiagnosis::Kind::Right)], kinds[int(HomeworkDiagnosis::Kind::Tie)],
        kinds[int(HomeworkDiagnosis::Kind::Unreachable)], reachable.size(), median(all), worst,
        qPrintable(worstText), qlonglong(mostStates), otherMs,
        other ? (*other ? "yes" : "no") : "undecided");
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);

    if (arguments.value(0) == QLatin1String("--scan")) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<Distribution> ranked = scan();
        std::printf("%zu distributions in %.1f s; the most states searched:\n", ranked.size(),
            msSince(timer) / 1000.0);
        for (size_t i = 0; i < std::min<size_t>(10, ranked.size()); ++i)
            std::printf("%8lld  %s\n", qlonglong(ranked[i].states), qPrintable(ranked[i].name));
        const auto widest = std::max_element(ranked.begin(), ranked.end(),
            [](const Distribution &a, const Distribution &b) { return a.allStates < b.allStates; });
        std::printf("the most states a construction can pass through: %lld, %s\n",
            qlonglong(widest->allStates), qPrintable(widest->name));
        for (size_t i = 0; i < std::min<size_t>(3, ranked.size()); ++i)
            timeName(ranked[i].name, 5);
        return 0;
    }

    const int runs = std::max(1, arguments.value(0, QStringLiteral("5")).toInt());
    // The top of the --scan ranking (15038 states searched for one answer), the names whose
    // constructions can pass through the most states (54262 and 50019), and a full name of 33
    // letters, most of them twice.
    const auto letters = [](std::initializer_list<std::pair<int, int>> counts) {
        std::vector<int> result;
        for (const auto &[count, times] : counts)
            result.insert(result.end(), size_t(times), count);
        return result;
    };
    const QStringList names {
        nameOf(letters({{4, 3}, {3, 5}, {2, 8}, {1, 16}}), 1),
        nameOf(letters({{5, 1}, {4, 4}, {3, 1}, {2, 9}, {1, 18}}), 1),
        nameOf(letters({{4, 4}, {3, 3}, {2, 9}, {1, 17}}), 2),
        nameOf(letters({{2, 27}, {1, 6}}), 2),
    };
    for (const QString &name : names)
        timeName(name, runs);
    return 0;
}
