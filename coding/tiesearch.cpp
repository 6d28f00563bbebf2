// SPDX-License-Identifier: GPL-3.0-or-later
#include "tiesearch.h"

#include <algorithm>
#include <cstring>

TieSearch TieSearch::reaching(const QList<int> &counters, qint64 stateBudget)
{
    return TieSearch(counters, Goal::Reach, stateBudget);
}

TieSearch TieSearch::avoiding(const QList<int> &counters, qint64 stateBudget)
{
    return TieSearch(counters, Goal::Avoid, stateBudget);
}

TieSearch TieSearch::avoiding(const QList<QList<int>> &countersLists, qint64 stateBudget)
{
    TieSearch search(countersLists.value(0), Goal::Avoid, stateBudget);
    for (qsizetype i = 1; i < countersLists.size(); ++i) {
        std::vector<int> profile {0};
        profile.insert(profile.end(), countersLists.at(i).begin(), countersLists.at(i).end());
        search.avoided.push_back(std::move(profile));
    }
    return search;
}

qint64 TieSearch::stateCount(const QList<Node> &nodes, qint64 stateBudget)
{
    TieSearch search({}, Goal::Everything, stateBudget);
    return search.search(nodes) == Result::Undecided ? -1 : search.visited;
}

TieSearch::TieSearch(const QList<int> &counters, Goal goal, qint64 stateBudget)
    : goal(goal)
    , budget(stateBudget)
{
    target.push_back(0);
    for (const int counter : counters)
        target.push_back(counter);
    targetAtLeast.assign(target.size() + 1, 0);
    for (size_t d = target.size(); d-- > 0;)
        targetAtLeast[d] = targetAtLeast[d + 1] + target[d];
}

int TieSearch::classOf(int count, std::vector<int> profile)
{
    std::string key(sizeof(int) * (profile.size() + 1), '\0');
    std::memcpy(key.data(), &count, sizeof(int));
    std::memcpy(key.data() + sizeof(int), profile.data(), sizeof(int) * profile.size());
    const auto found = classIds.find(key);
    if (found != classIds.end())
        return found->second;

    NodeClass nodeClass;
    nodeClass.count = count;
    nodeClass.atLeast.assign(profile.size() + 1, 0);
    for (size_t d = profile.size(); d-- > 0;)
        nodeClass.atLeast[d] = nodeClass.atLeast[d + 1] + profile[d];
    nodeClass.profile = std::move(profile);
    const int id = int(classes.size());
    classes.push_back(std::move(nodeClass));
    classIds.emplace(std::move(key), id);
    return id;
}

int TieSearch::mergedClass(int a, int b)
{
    if (a > b)
        std::swap(a, b);
    const std::uint64_t key = (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
    const auto found = merges.find(key);
    if (found != merges.end())
        return found->second;
    const std::vector<int> &first = classes[size_t(a)].profile;
    const std::vector<int> &second = classes[size_t(b)].profile;
    std::vector<int> profile(std::max(first.size(), second.size()) + 1, 0);
    for (size_t d = 0; d < first.size(); ++d)
        profile[d + 1] += first[d];
    for (size_t d = 0; d < second.size(); ++d)
        profile[d + 1] += second[d];
    const int id = classOf(classes[size_t(a)].count + classes[size_t(b)].count, std::move(profile));
    merges.emplace(key, id);
    return id;
}

void TieSearch::insertSorted(State &state, int id) const
{
    const auto before = [this](int x, int y) {
        const int cx = classes[size_t(x)].count, cy = classes[size_t(y)].count;
        return cx != cy ? cx < cy : x < y;
    };
    state.insert(std::upper_bound(state.begin(), state.end(), id, before), id);
}

TieSearch::State TieSearch::stateOf(const QList<Node> &nodes)
{
    State state;
    state.reserve(size_t(nodes.size()));
    for (const Node &node : nodes)
        insertSorted(
            state, classOf(node.count, std::vector<int>(node.profile.begin(), node.profile.end())));
    return state;
}

bool TieSearch::accepted(int id) const
{
    switch (goal) {
    case Goal::Reach:
        return classes[size_t(id)].profile == target;
    case Goal::Avoid:
        return classes[size_t(id)].profile != target
            && std::find(avoided.begin(), avoided.end(), classes[size_t(id)].profile)
            == avoided.end();
    case Goal::Everything:
        break;
    }
    return false;
}

// Depths only grow, and with two or more nodes left every character goes at least one deeper:
// the characters now at depth d or deeper can end only among the target's at depth d + 1 or
// deeper.
bool TieSearch::feasible(const State &state) const
{
    if (goal != Goal::Reach)
        return true;
    std::vector<int> atLeast;
    for (const int id : state) {
        const std::vector<int> &own = classes[size_t(id)].atLeast;
        if (own.size() > atLeast.size())
            atLeast.resize(own.size(), 0);
        for (size_t d = 0; d < own.size(); ++d)
            atLeast[d] += own[d];
    }
    for (size_t d = 0; d < atLeast.size(); ++d) {
        const int room = d + 1 < targetAtLeast.size() ? targetAtLeast[d + 1] : 0;
        if (atLeast[d] > room)
            return false;
    }
    return true;
}

bool TieSearch::reachable(const State &state)
{
    if (state.size() == 1)
        return accepted(state.front());
    if (exhausted || !feasible(state))
        return false;
    std::string key(sizeof(int) * state.size(), '\0');
    std::memcpy(key.data(), state.data(), key.size());
    if (failed.count(key))
        return false;
    if (++visited > budget) {
        exhausted = true;
        return false;
    }

    // The two nodes a construction may take: two of the least count, or the only one of the least
    // count and one of the next. Equal classes are one choice.
    const auto countAt = [this, &state](size_t i) { return classes[size_t(state[i])].count; };
    size_t leastEnd = 1;
    while (leastEnd < state.size() && countAt(leastEnd) == countAt(0))
        ++leastEnd;
    std::vector<std::pair<size_t, size_t>> choices;
    if (leastEnd >= 2) {
        for (size_t i = 0; i < leastEnd; ++i) {
            if (i > 0 && state[i] == state[i - 1])
                continue;
            for (size_t j = i + 1; j < leastEnd; ++j) {
                if (j > i + 1 && state[j] == state[j - 1])
                    continue;
                choices.emplace_back(i, j);
            }
        }
    } else {
        for (size_t j = 1; j < state.size() && countAt(j) == countAt(1); ++j) {
            if (j > 1 && state[j] == state[j - 1])
                continue;
            choices.emplace_back(0, j);
        }
    }

    for (const auto &[i, j] : choices) {
        State next;
        next.reserve(state.size() - 1);
        for (size_t k = 0; k < state.size(); ++k) {
            if (k != i && k != j)
                next.push_back(state[k]);
        }
        insertSorted(next, mergedClass(state[i], state[j]));
        if (reachable(next))
            return true;
        if (exhausted)
            return false;
    }
    failed.insert(std::move(key));
    return false;
}

TieSearch::Result TieSearch::finish(bool found) const
{
    if (found)
        return Result::Found;
    return exhausted ? Result::Undecided : Result::NotFound;
}

TieSearch::Result TieSearch::search(const QList<Node> &nodes)
{
    if (nodes.isEmpty())
        return Result::NotFound;
    return finish(reachable(stateOf(nodes)));
}

TieSearch::Result TieSearch::searchAfterMerging(const QList<Node> &nodes, int a, int b)
{
    State state;
    state.reserve(size_t(nodes.size()));
    std::vector<int> pair;
    for (qsizetype k = 0; k < nodes.size(); ++k) {
        const Node &node = nodes.at(k);
        const int id
            = classOf(node.count, std::vector<int>(node.profile.begin(), node.profile.end()));
        if (k == a || k == b)
            pair.push_back(id);
        else
            insertSorted(state, id);
    }
    insertSorted(state, mergedClass(pair.at(0), pair.at(1)));
    return finish(reachable(state));
}
