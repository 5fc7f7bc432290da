-- The drop-rate benches' big world, over a world from the sample-world generator
-- (--items 20000 --npcs 32767): every NPC with a loottable of its own holding two
-- of 25,000 lootdrops (droplimits 0 to 2, probabilities 25 and 50), four entries
-- each: 100,000 lootdrop entries, all reached.
DELETE FROM loottable; DELETE FROM loottable_entries; DELETE FROM lootdrop;
DELETE FROM lootdrop_entries; SET @base=(SELECT MIN(id) FROM items);
INSERT INTO lootdrop (id,name) SELECT seq, CONCAT('drop ',seq) FROM seq_1_to_25000;
INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance,multiplier)
  SELECT 1+(seq-1) DIV 4, @base+(seq*7919)%20000, 5+seq%96, 1+seq%2 FROM seq_1_to_100000;
INSERT INTO loottable (id,name) SELECT seq, CONCAT('table ',seq) FROM seq_1_to_32767;
UPDATE npc_types SET loottable_id=id;
INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,probability,droplimit,mindrop)
  SELECT t.seq, 1+(t.seq*3+k.seq*12347)%25000, 1, 25*k.seq, t.seq%3, k.seq-1
  FROM seq_1_to_32767 t, seq_1_to_2 k;
