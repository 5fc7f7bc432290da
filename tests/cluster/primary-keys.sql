-- The keys a Galera cluster needs to replicate the loot tables' rows: the
-- world's layout gives the two entries tables none. A loottable lists a
-- lootdrop once, and a lootdrop an item once.
ALTER TABLE lootdrop_entries ADD PRIMARY KEY (lootdrop_id, item_id);
ALTER TABLE loottable_entries ADD PRIMARY KEY (loottable_id, lootdrop_id);
