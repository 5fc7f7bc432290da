-- The tables of the world database that the program reads and writes: the six
-- loot tables it writes, and the four spawn tables it reads for items per hour
-- (newer layout: disabled points in spawn2_disabled).
-- Column order matters: the program's inserts give their values by position.

DROP TABLE IF EXISTS items;
CREATE TABLE items (
  id INT NOT NULL PRIMARY KEY,
  name VARCHAR(64) NOT NULL DEFAULT '',
  itemtype INT NOT NULL DEFAULT 0,
  reqlevel INT NOT NULL DEFAULT 0,
  ac INT NOT NULL DEFAULT 0,
  damage INT NOT NULL DEFAULT 0,
  delay INT NOT NULL DEFAULT 0,
  aint INT NOT NULL DEFAULT 0,
  awis INT NOT NULL DEFAULT 0,
  astr INT NOT NULL DEFAULT 0,
  asta INT NOT NULL DEFAULT 0,
  adex INT NOT NULL DEFAULT 0,
  aagi INT NOT NULL DEFAULT 0,
  acha INT NOT NULL DEFAULT 0,
  hp INT NOT NULL DEFAULT 0,
  mana INT NOT NULL DEFAULT 0,
  weight INT NOT NULL DEFAULT 0,
  price INT NOT NULL DEFAULT 0,
  KEY itemtype (itemtype),
  KEY name (name)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS npc_types;
CREATE TABLE npc_types (
  id INT NOT NULL PRIMARY KEY,
  name VARCHAR(64) NOT NULL DEFAULT '',
  level TINYINT UNSIGNED NOT NULL DEFAULT 1,
  race SMALLINT NOT NULL DEFAULT 1,
  class TINYINT NOT NULL DEFAULT 1,
  hp INT NOT NULL DEFAULT 0,
  loottable_id INT UNSIGNED NOT NULL DEFAULT 0,
  KEY level (level),
  KEY loottable_id (loottable_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS lootdrop;
CREATE TABLE lootdrop (
  id INT UNSIGNED NOT NULL PRIMARY KEY,
  name VARCHAR(255) NOT NULL DEFAULT '',
  KEY name (name)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS lootdrop_entries;
CREATE TABLE lootdrop_entries (
  lootdrop_id INT UNSIGNED NOT NULL DEFAULT 0,
  item_id INT NOT NULL DEFAULT 0,
  item_charges SMALLINT UNSIGNED NOT NULL DEFAULT 1,
  equip_item TINYINT UNSIGNED NOT NULL DEFAULT 0,
  chance FLOAT NOT NULL DEFAULT 1,
  minlevel TINYINT UNSIGNED NOT NULL DEFAULT 0,
  maxlevel TINYINT UNSIGNED NOT NULL DEFAULT 127,
  multiplier TINYINT UNSIGNED NOT NULL DEFAULT 1,
  KEY lootdrop_id (lootdrop_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS loottable;
CREATE TABLE loottable (
  id INT UNSIGNED NOT NULL PRIMARY KEY,
  name VARCHAR(255) NOT NULL DEFAULT '',
  mincash INT UNSIGNED NOT NULL DEFAULT 0,
  maxcash INT UNSIGNED NOT NULL DEFAULT 0,
  avgcoin INT UNSIGNED NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS loottable_entries;
CREATE TABLE loottable_entries (
  loottable_id INT UNSIGNED NOT NULL DEFAULT 0,
  lootdrop_id INT UNSIGNED NOT NULL DEFAULT 0,
  multiplier TINYINT UNSIGNED NOT NULL DEFAULT 1,
  probability FLOAT NOT NULL DEFAULT 100,
  droplimit TINYINT UNSIGNED NOT NULL DEFAULT 0,
  mindrop TINYINT UNSIGNED NOT NULL DEFAULT 0,
  KEY loottable_id (loottable_id),
  KEY lootdrop_id (lootdrop_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS spawn2;
CREATE TABLE spawn2 (
  id INT NOT NULL PRIMARY KEY,
  spawngroupID INT NOT NULL DEFAULT 0,
  zone VARCHAR(32) NOT NULL DEFAULT '',
  version SMALLINT NOT NULL DEFAULT 0,
  x FLOAT NOT NULL DEFAULT 0,
  y FLOAT NOT NULL DEFAULT 0,
  z FLOAT NOT NULL DEFAULT 0,
  respawntime INT NOT NULL DEFAULT 0,
  variance INT NOT NULL DEFAULT 0,
  _condition MEDIUMINT UNSIGNED NOT NULL DEFAULT 0,
  cond_value MEDIUMINT NOT NULL DEFAULT 1,
  KEY spawngroupID (spawngroupID)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS spawn2_disabled;
CREATE TABLE spawn2_disabled (
  spawn2_id INT NOT NULL,
  instance_id INT NOT NULL DEFAULT 0,
  disabled SMALLINT NOT NULL DEFAULT 0,
  PRIMARY KEY (spawn2_id, instance_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS spawngroup;
CREATE TABLE spawngroup (
  id INT NOT NULL PRIMARY KEY,
  name VARCHAR(64) NOT NULL DEFAULT '',
  spawn_limit TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

DROP TABLE IF EXISTS spawnentry;
CREATE TABLE spawnentry (
  spawngroupID INT NOT NULL DEFAULT 0,
  npcID INT NOT NULL DEFAULT 0,
  chance SMALLINT NOT NULL DEFAULT 0,
  condition_value_filter MEDIUMINT NOT NULL DEFAULT 1,
  min_time SMALLINT NOT NULL DEFAULT 0,
  max_time SMALLINT NOT NULL DEFAULT 0,
  PRIMARY KEY (spawngroupID, npcID),
  KEY npcID (npcID)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
