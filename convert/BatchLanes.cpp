#include "convert/BatchLanes.h"

#include <algorithm>
#include <numeric>
#include <vector>

QList<QList<int>> DealRows(const QList<qint64> &seconds, int lanes) {
    const int count = std::max(1, std::min(lanes, int(seconds.size())));
    QList<QList<int>> dealt(count);
    std::vector<int> order(std::size_t(seconds.size()));
    std::iota(order.begin(), order.end(), 0);
    const auto weight = [&seconds](int row) {
        return std::max<qint64>(seconds[row], 1);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&weight](int a, int b) { return weight(a) > weight(b); });
    std::vector<qint64> load(std::size_t(count), 0);
    for (const int row : order) {
        const auto lightest = std::min_element(load.begin(), load.end());
        *lightest += weight(row);
        dealt[int(lightest - load.begin())].append(row);
    }
    for (QList<int> &lane : dealt)
        std::sort(lane.begin(), lane.end());
    return dealt;
}
