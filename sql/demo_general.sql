-- Demo data of the general database: the demo company and its two users.
-- The database accounts (and their passwords) are created by the
-- administration tool, these rows only describe the users to the program.

-- The demo print formats show the header text on two lines: characters
-- 1 to 45 and from 47 on.
INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE, COMP_NIT, COMP_DIR, COMP_TELS, COMP_ENCABEZADO)
VALUES ('001',
        'Parqueadero Plaza Central S.A.S.',
        '900123456-8',
        'Calle 19 # 7-48, Bogotá D.C.',
        '(601) 555 0147 - 310 555 0147',
        'Responsable de IVA. Actividad económica 5221. Servicio las 24 horas, todos los días.');

-- CAJERO works the point of sale. ADMIN may open the device configuration
-- and passes every rights check.
INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE, USUA_ADMIN)
VALUES ('CAJERO', 'Cajero de demostración', 'N');

INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE, USUA_ADMIN)
VALUES ('ADMIN', 'Administrador del sistema', 'S');
