-- Tarvolin on SQL Server: what the program relies on beyond the tables of the
-- company database. db/schema.sql holds the same in SQLite's dialect.
--
-- One line per sequence of an accounting entry. Entry numbers are taken as
-- the highest booked plus one; when two stations take the same number at
-- once, this index refuses the second one's lines, whose posting is then
-- refused whole and reported (an entry number is never shared by two
-- documents). Lines with a blank part of the key are left out, as SQLite
-- leaves out keys holding NULL.
--
-- Lines already sharing a key stop the index from being created; they are
-- listed by
--   SELECT PERIODO, MES_OPERATIVO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA, COUNT(*)
--   FROM MV_ASIENTOS GROUP BY PERIODO, MES_OPERATIVO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA
--   HAVING COUNT(*) > 1

-- The index has a WHERE clause: SQL Server creates it, and later lets a
-- session write MV_ASIENTOS, only with these options set as here (the
-- program's ODBC sessions set them when they connect). ANSI_NULLS and
-- QUOTED_IDENTIFIER are read when a batch is parsed, hence the GO.
SET ANSI_NULLS ON;
SET ANSI_PADDING ON;
SET ANSI_WARNINGS ON;
SET ARITHABORT ON;
SET CONCAT_NULL_YIELDS_NULL ON;
SET QUOTED_IDENTIFIER ON;
SET NUMERIC_ROUNDABORT OFF;
GO

IF NOT EXISTS (SELECT * FROM sys.indexes WHERE name = 'UX_MV_ASIENTOS_LINEA' AND object_id = OBJECT_ID('MV_ASIENTOS'))
    CREATE UNIQUE INDEX UX_MV_ASIENTOS_LINEA
        ON MV_ASIENTOS (PERIODO, MES_OPERATIVO, TIPO_REG, [NUMERO ASIENTO], SECUENCIA)
        WHERE PERIODO IS NOT NULL AND MES_OPERATIVO IS NOT NULL AND TIPO_REG IS NOT NULL
          AND [NUMERO ASIENTO] IS NOT NULL AND SECUENCIA IS NOT NULL;
GO
