/*
  General database: the users of the program and the companies.
  The database accounts of the server are the users; USUARIO only adds
  their name, the administrator flag and the date of the last connection.
  Created with DEFAULT CHARACTER SET ISO8859_1, SQL dialect 3.
*/

CREATE TABLE USUARIO (
  USUA_COD     VARCHAR(10) NOT NULL,
  USUA_NOMBRE  VARCHAR(60),
  USUA_ADMIN   CHAR(1) DEFAULT 'N',
  FECCON       DATE,
  CONSTRAINT PK_USUARIO PRIMARY KEY (USUA_COD),
  CONSTRAINT CK_USUARIO_ADMIN CHECK (USUA_ADMIN IS NULL OR USUA_ADMIN IN ('S', 'N'))
);

CREATE TABLE COMPANIA (
  COMP_COD         CHAR(3) NOT NULL,
  COM_NOMBRE       VARCHAR(80),
  COMP_NIT         VARCHAR(20),
  COMP_LOGO        BLOB SUB_TYPE 0,
  COMP_DIR         VARCHAR(140),
  COMP_TELS        VARCHAR(140),
  COMP_ENCABEZADO  VARCHAR(140),
  CONSTRAINT PK_COMPANIA PRIMARY KEY (COMP_COD)
);

/* Every account signs in here: it reads both tables and stamps its own
   last connection date. */
GRANT SELECT ON USUARIO TO PUBLIC;
GRANT UPDATE (FECCON) ON USUARIO TO PUBLIC;
GRANT SELECT ON COMPANIA TO PUBLIC;
