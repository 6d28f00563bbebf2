// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Which code length counters can a Huffman construction end in when every choice among nodes of
// equal count is free? What is left to build depends only on the multiset of the nodes' counts
// and depth profiles (leaves at each depth below a node), not on their order or their characters,
// so the search remembers such multisets it has already seen fail instead of trying orderings.
class TieSearch
{
public:
    enum class Result { Found, NotFound, Undecided };

    struct Node
    {
        int count = 0;
        QList<int> profile; // profile.at(d): characters at depth d below the node; {1} for one
    };

    // Searches for exactly these counters (element k: codewords of length k + 1).
    static TieSearch reaching(const QList<int> &counters, qint64 stateBudget = defaultBudget);
    // Searches for any counters other than these.
    static TieSearch avoiding(const QList<int> &counters, qint64 stateBudget = defaultBudget);
    // Searches for any counters other than all of these.
    static TieSearch avoiding(
        const QList<QList<int>> &countersLists, qint64 stateBudget = defaultBudget);

    // Can the construction, from these nodes on, end in what is searched for? Undecided when the
    // budget of states ran out first. Results already found stay known to later calls.
    Result search(const QList<Node> &nodes);
    // The same after first merging nodes a and b of the list.
    Result searchAfterMerging(const QList<Node> &nodes, int a, int b);

    qint64 statesVisited() const { return visited; }

    // How many different states (multisets of nodes with two or more left) the construction can
    // pass through from these nodes: the most any search from them can visit. -1 beyond budget.
    static qint64 stateCount(const QList<Node> &nodes, qint64 stateBudget = 10000000);

    // About twice the most states any admissible name's construction can pass through (54262,
    // found by bench/bench_diagnosis --scan; a diagnosis searched at most 15038), so the bound
    // only guards against names beyond what was measured (about a millisecond per thousand states).
    static constexpr qint64 defaultBudget = 100000;

private:
    using State = std::vector<int>; // class ids, ascending by (count, id)

    struct NodeClass
    {
        int count = 0;
        std::vector<int> profile;
        std::vector<int> atLeast; // atLeast[d]: characters at depth d or deeper
    };

    enum class Goal { Reach, Avoid, Everything };

    TieSearch(const QList<int> &counters, Goal goal, qint64 stateBudget);

    int classOf(int count, std::vector<int> profile);
    int mergedClass(int a, int b);
    State stateOf(const QList<Node> &nodes);
    void insertSorted(State &state, int id) const;
    bool accepted(int id) const;
    bool feasible(const State &state) const;
    bool reachable(const State &state);
    Result finish(bool found) const;

    std::vector<int> target; // the root's profile: 0 at depth 0, then the counters
    std::vector<std::vector<int>> avoided; // Avoid: further root profiles that do not count
    std::vector<int> targetAtLeast;
    Goal goal = Goal::Reach;
    qint64 budget = 0;
    qint64 visited = 0;
    bool exhausted = false;

    std::vector<NodeClass> classes;
    std::unordered_map<std::string, int> classIds;
    std::unordered_map<std::uint64_t, int> merges;
    std::unordered_set<std::string> failed;
};
