-- Demo company for scripts/demo: a user, its configuration, customers' orders
-- of several document types (blocked and not) and the action history of some
-- of them. Loaded after db/schema.sql.

-- ---- Users and configuration ---------------------------------------------------

INSERT INTO ta_usuarios (nombre, Administrador, UNegocio) VALUES
    ('demo', 1, '   1'),
    ('ana', 0, '   1'),
    ('beto', 0, '   2');

INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, VALORAUX) VALUES
    ('PIVA', '21', NULL),
    ('PIVARec', '10.5', NULL),
    ('AsientosXStock', 'NO', NULL),
    ('CONDIVA', '1', NULL),
    ('CantidadDecimales', '2', NULL),
    ('TituloClientes', 'Clientes', NULL),
    ('TituloProveedores', 'Proveedores', NULL),
    ('MostrarStockenConsultas', 'SI', NULL),
    ('UsaConsultaLike', 'SI', NULL),
    ('PERIODO', '2024', NULL),
    ('Top_Default', '500', NULL),
    ('MaxDto', '15', NULL),
    ('SeparadorHora', ':', NULL);

-- ---- Orders ------------------------------------------------------------------------
-- 36 blocked customer orders (NP): four pages of ten in the main window.

INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, FECHAESTFIN, CUENTA, NOMBRE, IMPORTE,
                       OBSERVACIONES, BLOQUEADA)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 36)
SELECT i,
       'NP',
       printf('0001-%08d', 1200 + i),
       0,
       printf('2024-%02d-%02d 00:00:00', 1 + (i % 6), 1 + ((i * 7) % 28)),
       printf('2024-%02d-%02d 00:00:00', 2 + (i % 6), 1 + ((i * 7) % 28)),
       printf('C%04d', 1 + (i % 9)),
       CASE i % 9
           WHEN 0 THEN 'Almacén Don Tito'
           WHEN 1 THEN 'Ferretería La Tuerca'
           WHEN 2 THEN 'Distribuidora Sur S.A.'
           WHEN 3 THEN 'Panadería O''Brien'
           WHEN 4 THEN 'Kiosco El Trébol'
           WHEN 5 THEN 'Construcciones Norte'
           WHEN 6 THEN 'Librería Central'
           WHEN 7 THEN 'Supermercado Las Rosas'
           ELSE 'Taller Mecánico Ruta 3'
       END,
       round(1500 + ((i * 7919) % 90000) / 7.0, 2),
       CASE i % 4
           WHEN 0 THEN 'Excede el límite de crédito'
           WHEN 1 THEN 'Saldo vencido'
           WHEN 2 THEN 'Cheques rechazados'
           ELSE 'Precio por debajo del mínimo'
       END,
       1
FROM n;

-- Orders already released, and documents of other types (blocked or not) the
-- main window must not list.
INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, FECHAESTFIN, CUENTA, NOMBRE, IMPORTE,
                       OBSERVACIONES, BLOQUEADA) VALUES
    (101, 'NP', '0001-00001101', 0, '2024-01-05 00:00:00', '2024-02-05 00:00:00', 'C0001', 'Ferretería La Tuerca', 2300.5, '', 0),
    (102, 'NP', '0001-00001102', 0, '2024-01-09 00:00:00', '2024-02-09 00:00:00', 'C0004', 'Kiosco El Trébol', 810, '', 0),
    (103, 'NP', '0001-00001103', 0, '2024-02-14 00:00:00', '2024-03-14 00:00:00', 'C0007', 'Supermercado Las Rosas', 15420.75, '', 0),
    (104, 'NP', '0002-00000015', 0, '2024-03-01 00:00:00', '2024-04-01 00:00:00', 'C0002', 'Distribuidora Sur S.A.', 640, '', 0),
    (201, 'FC', 'A000100000311', 0, '2024-01-10 00:00:00', '2024-02-10 00:00:00', 'C0001', 'Ferretería La Tuerca', 2300.5, 'Bloqueada por auditoría', 1),
    (202, 'FC', 'B000100000312', 0, '2024-01-11 00:00:00', '2024-02-11 00:00:00', 'C0004', 'Kiosco El Trébol', 810, '', 0),
    (203, 'RM', '0001-00000450', 0, '2024-02-02 00:00:00', NULL, 'C0003', 'Panadería O''Brien', 0, 'Sin stock', 1),
    (204, 'RM', '0001-00000451', 0, '2024-02-03 00:00:00', NULL, 'C0006', 'Librería Central', 0, '', 0),
    (205, 'PR', '0001-00000090', 0, '2024-02-20 00:00:00', '2024-03-20 00:00:00', 'C0005', 'Construcciones Norte', 98000, 'Presupuesto pendiente', 1),
    (206, 'OC', '0001-00000077', 0, '2024-03-04 00:00:00', '2024-04-04 00:00:00', 'P0001', 'Proveedora del Litoral', 45500, 'Bloqueada', 1),
    (207, 'OC', '0001-00000078', 0, '2024-03-05 00:00:00', '2024-04-05 00:00:00', 'P0002', 'Importadora Atlántica', 12000, '', 0);

-- ---- Action history ---------------------------------------------------------------------
-- A alta, M modificación, B baja, E and AO authorization.

INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario, PC,
                               SYSTEMUSER, NUMEROASIENTO) VALUES
    ('NP  ', '0001-00001201', 0, 'A', '2024-01-02 09:15:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001201', 0, 'M', '2024-01-02 11:40:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001202', 0, 'A', '2024-01-03 10:05:00', 'beto', 'VENTAS2', '', 0),
    ('NP  ', '0001-00001203', 0, 'A', '2024-01-04 08:30:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001203', 0, 'E', '2024-01-04 12:00:00', 'demo', 'GERENCIA', '', 0),
    ('NP  ', '0001-00001203', 0, 'M', '2024-01-05 16:20:00', 'beto', 'VENTAS2', '', 0),
    ('NP  ', '0001-00001205', 0, 'A', '2024-01-06 09:00:00', 'beto', 'VENTAS2', '', 0),
    ('NP  ', '0001-00001207', 0, 'A', '2024-01-08 14:45:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001207', 0, 'B', '2024-01-08 15:10:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001207', 0, 'A', '2024-01-08 15:30:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001101', 0, 'A', '2024-01-05 10:00:00', 'ana', 'CAJA1', '', 0),
    ('NP  ', '0001-00001101', 0, 'AO', '2024-01-05 17:30:00', 'demo', 'GERENCIA', '', 0),
    ('NP  ', '0001-00001102', 0, 'A', '2024-01-09 09:20:00', 'beto', 'VENTAS2', '', 0),
    ('NP  ', '0001-00001102', 0, 'AO', '2024-01-09 18:05:00', 'demo', 'GERENCIA', '', 0),
    ('FC  ', 'A000100000311', 0, 'A', '2024-01-10 11:00:00', 'ana', 'CAJA1', '', 0);
