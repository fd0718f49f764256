#include "map_counts.h"

using namespace conv;

namespace batch {

MapCounts counts_of(const RunReport& report) {
  MapCounts c;
  c.brushes = report.brushes;
  c.entities = report.entities;
  c.written = report.written;
  c.discarded = static_cast<long>(report.discarded.size());
  long discarded_entities = 0;
  for (const DiscardedObject& d : report.discarded) discarded_entities += d.what == "entity" ? 1 : 0;
  c.left_out = c.entities - c.written - discarded_entities;
  return c;
}

}  // namespace batch
