// Enumeration by index through a handle's cursor: the next index continues
// from the entry last handed out, so listing n entries reads n rows, not n²/2.
#include "advapi32/registry_tree.h"

namespace registry {
namespace {

// Whether `cursor` still describes the listing of `target`.
bool Current(const Cursor &cursor, const Generation &now, int64_t target) {
  return cursor.valid && cursor.generation == now && cursor.target == target;
}

void Restart(Cursor *cursor, const Generation &now, int64_t target) {
  *cursor = Cursor{};
  cursor->valid = true;
  cursor->generation = now;
  cursor->target = target;
}

// Entry `index` of a merged listing, made by `list` when the cursor is stale.
template <typename Record, typename List>
LSTATUS FromListing(Cursor *cursor, std::vector<Record> Cursor::*listing, const Generation &now, size_t index,
                    List &&list, Record *out) {
  if (!Current(*cursor, now, 0)) {
    std::vector<Record> all;
    if (LSTATUS r = list(&all)) return r;
    Restart(cursor, now, 0);
    cursor->*listing = std::move(all);
  }
  const std::vector<Record> &all = cursor->*listing;
  if (index >= all.size()) return ERROR_NO_MORE_ITEMS;
  *out = all[index];
  return ERROR_SUCCESS;
}

// Entry `index` of one store key's listing: the remembered entry again, the
// one after it, or a count from the start when the cursor can't help.
template <typename Record, typename At, typename After>
LSTATUS FromStore(Cursor *cursor, Record Cursor::*last, const Generation &now, int64_t target, size_t index,
                  At &&at, After &&after, Record *out) {
  const bool current = Current(*cursor, now, target);
  if (current && index == cursor->index) {
    *out = cursor->*last;
    return ERROR_SUCCESS;
  }
  const bool found = current && index == cursor->index + 1 ? after(cursor->*last, out) : at(index, out);
  if (!found) return ERROR_NO_MORE_ITEMS;
  Restart(cursor, now, target);
  cursor->index = index;
  cursor->*last = *out;
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS SubkeyAt(Session &session, const KeyRef &key, size_t index, KeyRecord *out) {
  Store &store = *session.store;
  int64_t only = 0;
  if (LSTATUS r = ListedKey(session, key, &only)) return r;
  Cursor &cursor = session.state.CursorsOf(session.handle, session.key).subkeys;
  const Generation now = store.Changes();
  if (!only)
    return FromListing(&cursor, &Cursor::keys, now, index,
                       [&](std::vector<KeyRecord> *all) { return Subkeys(session, key, all); }, out);
  return FromStore(
      &cursor, &Cursor::key, now, only, index,
      [&](size_t i, KeyRecord *o) { return store.ChildAt(only, static_cast<int64_t>(i), o); },
      [&](const KeyRecord &previous, KeyRecord *o) { return store.ChildAfter(only, previous.fold, o); }, out);
}

LSTATUS ValueAt(Session &session, const KeyRef &key, size_t index, ValueRecord *out) {
  Store &store = *session.store;
  int64_t only = 0;
  if (LSTATUS r = ListedKey(session, key, &only)) return r;
  Cursor &cursor = session.state.CursorsOf(session.handle, session.key).values;
  const Generation now = store.Changes();
  if (!only)
    return FromListing(&cursor, &Cursor::values, now, index,
                       [&](std::vector<ValueRecord> *all) { return ListValues(session, key, all); }, out);
  return FromStore(
      &cursor, &Cursor::value, now, only, index,
      [&](size_t i, ValueRecord *o) { return store.ValueAt(only, static_cast<int64_t>(i), o); },
      [&](const ValueRecord &previous, ValueRecord *o) { return store.ValueAfter(only, previous.order, o); },
      out);
}

}  // namespace registry
