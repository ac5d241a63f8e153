/*
  Company database: generators, exceptions, triggers and the procedures
  that hand out identifiers and document numbers. Runs after company.sql.

  Document numbers are six-digit text. PREFIJOS.PREF_ACTUAL holds the next
  number that the prefix hands out: a document takes PREF_ACTUAL and the
  counter moves on by one in the same transaction. The counter is a row,
  not a generator, so a rolled-back document leaves no gap.
*/

/* ------------------------------------------------------------------ */
/* Generators                                                          */
/* ------------------------------------------------------------------ */

CREATE SEQUENCE GEN_PARQ_ID;
CREATE SEQUENCE GEN_FACT_ID;
CREATE SEQUENCE GEN_RECA_ID;
CREATE SEQUENCE GEN_AUDI_ID;
CREATE SEQUENCE GEN_ARAL_ID;
CREATE SEQUENCE GEN_MOAR_ID;
CREATE SEQUENCE GEN_DPCA_ID;
CREATE SEQUENCE GEN_ANCL_ID;
CREATE SEQUENCE GEN_ANPR_ID;
CREATE SEQUENCE GEN_MVCL_ID;

/* ------------------------------------------------------------------ */
/* Exceptions (the statements that raise them give the full message)   */
/* ------------------------------------------------------------------ */

CREATE EXCEPTION E_PREFIJO_INEXISTENTE
  'No existe el prefijo de numeración del documento.';
CREATE EXCEPTION E_CONSECUTIVO_INVALIDO
  'El consecutivo actual del prefijo no es un número válido.';
CREATE EXCEPTION E_NUMERACION_NO_AUTORIZADA
  'El número del documento está fuera de la autorización de numeración del prefijo.';
CREATE EXCEPTION E_CONSECUTIVO_OCUPADO
  'No fue posible tomar el consecutivo del prefijo. Intente grabar de nuevo.';
CREATE EXCEPTION E_PARQUEADERO_ABIERTO
  'El vehículo ya tiene un ingreso abierto en el parqueadero.';

SET TERM ^ ;

/* ------------------------------------------------------------------ */
/* Document numbering                                                  */
/* ------------------------------------------------------------------ */

/*
  Takes the next number of prefix PREFIJO of document type TIPO and moves
  the counter on. Must run inside the transaction that stores the document.

  Under read committed an UPDATE of a counter that another transaction has
  changed and committed meanwhile fails with update_conflict (there is no
  statement restart before Firebird 4); the next try reads the committed
  value. The loop is bounded because under snapshot isolation a retry never
  sees the new value.

  EXIGE_AUTORIZACION 'S': the number must lie within an authorisation of the
  prefix. Otherwise it is checked only when the prefix has authorisations.
*/
CREATE PROCEDURE ASIGNE_CONSECUTIVO (
  TIPO                INTEGER,
  PREFIJO             VARCHAR(4),
  EXIGE_AUTORIZACION  CHAR(1))
RETURNS (
  NUMERO  VARCHAR(6))
AS
  DECLARE VARIABLE INTENTOS INTEGER = 0;
  DECLARE VARIABLE TOMADO SMALLINT = 0;
  DECLARE VARIABLE EXISTE SMALLINT = 0;
  DECLARE VARIABLE ACTUAL VARCHAR(6);
  DECLARE VARIABLE N INTEGER;
  DECLARE VARIABLE NUM_FINAL INTEGER;
BEGIN
  WHILE (TOMADO = 0) DO
  BEGIN
    INTENTOS = INTENTOS + 1;
    IF (INTENTOS > 100) THEN
      EXCEPTION E_CONSECUTIVO_OCUPADO
        'No fue posible tomar el consecutivo del prefijo ' || COALESCE(PREFIJO, '') ||
        ' porque otra transacción lo tiene ocupado. Intente grabar de nuevo.';
    BEGIN
      /* Locks the counter row; reads the last committed value. */
      EXISTE = 0;
      UPDATE PREFIJOS SET PREF_ACTUAL = PREF_ACTUAL
        WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO;
      EXISTE = ROW_COUNT;
      ACTUAL = NULL;
      SELECT PREF_ACTUAL FROM PREFIJOS
        WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO
        INTO :ACTUAL;
      TOMADO = 1;
      WHEN GDSCODE update_conflict, GDSCODE deadlock, GDSCODE lock_conflict DO
      BEGIN
        TOMADO = 0;
      END
    END
  END

  IF (EXISTE = 0) THEN
    EXCEPTION E_PREFIJO_INEXISTENTE
      'No existe el prefijo ' || COALESCE(PREFIJO, '(vacío)') ||
      ' para el tipo de documento ' || COALESCE(TIPO, 0) || '.';

  IF (ACTUAL IS NULL OR NOT (TRIM(ACTUAL) SIMILAR TO '[0-9]{1,6}')) THEN
    EXCEPTION E_CONSECUTIVO_INVALIDO
      'El consecutivo actual del prefijo ' || PREFIJO || ' (' ||
      COALESCE(ACTUAL, 'vacío') || ') no es un número válido.';

  N = CAST(TRIM(ACTUAL) AS INTEGER);
  NUMERO = LPAD(CAST(N AS VARCHAR(6)), 6, '0');

  IF (EXIGE_AUTORIZACION = 'S' OR EXISTS (
        SELECT 1 FROM AUTORIZACIONES
        WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO)) THEN
  BEGIN
    IF (NOT EXISTS (
          SELECT 1 FROM AUTORIZACIONES
          WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO
            AND CAST(AUTO_INICIAL AS INTEGER) <= :N
            AND CAST(AUTO_FINAL AS INTEGER) >= :N)) THEN
    BEGIN
      NUM_FINAL = NULL;
      SELECT MAX(CAST(AUTO_FINAL AS INTEGER)) FROM AUTORIZACIONES
        WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO
          AND CAST(AUTO_INICIAL AS INTEGER) <= :N
        INTO :NUM_FINAL;
      IF (NUM_FINAL IS NOT NULL AND N > NUM_FINAL) THEN
        EXCEPTION E_NUMERACION_NO_AUTORIZADA
          'El número ' || NUMERO || ' del prefijo ' || PREFIJO ||
          ' supera el número final autorizado ' ||
          LPAD(CAST(NUM_FINAL AS VARCHAR(6)), 6, '0') ||
          '. Solicite una nueva autorización de numeración.';
      ELSE
        EXCEPTION E_NUMERACION_NO_AUTORIZADA
          'El número ' || NUMERO || ' del prefijo ' || PREFIJO ||
          ' no está dentro de ninguna autorización de numeración.';
    END
  END

  /* Six digits: the counter cannot move past 999999. */
  IF (N >= 999999) THEN
    EXCEPTION E_NUMERACION_NO_AUTORIZADA
      'La numeración del prefijo ' || PREFIJO ||
      ' llegó al máximo de seis dígitos (999999).';

  UPDATE PREFIJOS SET PREF_ACTUAL = LPAD(CAST(:N + 1 AS VARCHAR(6)), 6, '0')
    WHERE TIDO_COD = :TIPO AND PREF_PRE = :PREFIJO;
END^

/* ------------------------------------------------------------------ */
/* Identifiers                                                         */
/* ------------------------------------------------------------------ */

/* A new invoice identifier on every call; skips identifiers that rows
   stored with explicit values already hold. */
CREATE PROCEDURE CAMBIE_ID_FACTURA
RETURNS (
  ID  INTEGER)
AS
BEGIN
  ID = NEXT VALUE FOR GEN_FACT_ID;
  WHILE (EXISTS (SELECT 1 FROM FACTURAS WHERE FACT_ID = :ID)) DO
    ID = NEXT VALUE FOR GEN_FACT_ID;
END^

CREATE PROCEDURE CAMBIE_ID_RECICAJA
RETURNS (
  ID  INTEGER)
AS
BEGIN
  ID = NEXT VALUE FOR GEN_RECA_ID;
  WHILE (EXISTS (SELECT 1 FROM RECIBOS_CAJA WHERE RECA_ID = :ID)) DO
    ID = NEXT VALUE FOR GEN_RECA_ID;
END^

/* ------------------------------------------------------------------ */
/* Audit trail                                                         */
/* ------------------------------------------------------------------ */

CREATE TRIGGER AUDITORIA_BI FOR AUDITORIA
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.AUDI_ID IS NULL OR NEW.AUDI_ID = 0) THEN
    NEW.AUDI_ID = NEXT VALUE FOR GEN_AUDI_ID;
  IF (NEW.AUDI_IDDOC IS NULL) THEN
    NEW.AUDI_IDDOC = 0;
  IF (NEW.AUDI_USUARIO IS NULL) THEN
    NEW.AUDI_USUARIO = CURRENT_USER;
  IF (NEW.AUDI_FECHA IS NULL) THEN
    NEW.AUDI_FECHA = CURRENT_DATE;
  IF (NEW.AUDI_HORA IS NULL) THEN
    NEW.AUDI_HORA = CURRENT_TIME;
END^

/* ------------------------------------------------------------------ */
/* Stays                                                               */
/* ------------------------------------------------------------------ */

/* The entry names only prefix, plate and vehicle type: the database gives
   the identifier, the moment of entry and the open state. */
CREATE TRIGGER PARQUEADERO_BI FOR PARQUEADERO
ACTIVE BEFORE INSERT POSITION 0
AS
  DECLARE VARIABLE FECHA DATE;
  DECLARE VARIABLE HORA TIME;
BEGIN
  IF (NEW.PARQ_ID IS NULL OR NEW.PARQ_ID = 0) THEN
  BEGIN
    NEW.PARQ_ID = NEXT VALUE FOR GEN_PARQ_ID;
    WHILE (EXISTS (SELECT 1 FROM PARQUEADERO WHERE PARQ_ID = NEW.PARQ_ID)) DO
      NEW.PARQ_ID = NEXT VALUE FOR GEN_PARQ_ID;
  END
  NEW.PARQ_VEHICULO = UPPER(NEW.PARQ_VEHICULO);
  IF (NEW.PARQ_FECINI IS NULL) THEN
    NEW.PARQ_FECINI = CURRENT_DATE;
  IF (NEW.PARQ_HORAINI IS NULL) THEN
    NEW.PARQ_HORAINI = CURRENT_TIME;
  IF (NEW.PARQ_FACTURA IS NULL) THEN
    NEW.PARQ_FACTURA = 0;
  IF (NEW.PARQ_ANULADO IS NULL) THEN
    NEW.PARQ_ANULADO = 'N';

  /* A readable refusal; the unique index UQ_PARQUEADERO_ABIERTO still
     decides between two entries of the same plate at the same instant. */
  IF (NEW.PARQ_FACTURA = 0 AND NEW.PARQ_ANULADO = 'N') THEN
  BEGIN
    FECHA = NULL;
    SELECT FIRST 1 PARQ_FECINI, PARQ_HORAINI FROM PARQUEADERO
      WHERE PARQ_VEHICULO = NEW.PARQ_VEHICULO
        AND PARQ_FACTURA = 0 AND PARQ_ANULADO = 'N'
      INTO :FECHA, :HORA;
    IF (FECHA IS NOT NULL) THEN
      EXCEPTION E_PARQUEADERO_ABIERTO
        'El vehículo ' || NEW.PARQ_VEHICULO || ' ya ingresó en ' ||
        REPLACE(CAST(FECHA AS VARCHAR(10)), '-', '/') || ' : ' ||
        COALESCE(SUBSTRING(CAST(HORA AS VARCHAR(13)) FROM 1 FOR 8), '');
  END
END^

CREATE TRIGGER PARQUEADERO_BU FOR PARQUEADERO
ACTIVE BEFORE UPDATE POSITION 0
AS
BEGIN
  NEW.PARQ_VEHICULO = UPPER(NEW.PARQ_VEHICULO);
  IF (NEW.PARQ_FACTURA IS NULL) THEN
    NEW.PARQ_FACTURA = 0;
  IF (NEW.PARQ_ANULADO IS NULL) THEN
    NEW.PARQ_ANULADO = 'N';
END^

CREATE TRIGGER PARQUEADERO_AI FOR PARQUEADERO
ACTIVE AFTER INSERT POSITION 0
AS
BEGIN
  INSERT INTO AUDITORIA (TIDO_COD, AUDI_IDDOC, AUDI_OPER, AUDI_COD)
    VALUES (38, NEW.PARQ_ID, 'I', CURRENT_USER);
END^

CREATE TRIGGER PARQUEADERO_AD FOR PARQUEADERO
ACTIVE AFTER DELETE POSITION 0
AS
BEGIN
  INSERT INTO AUDITORIA (TIDO_COD, AUDI_IDDOC, AUDI_OPER, AUDI_COD)
    VALUES (38, OLD.PARQ_ID, 'D', CURRENT_USER);
END^

/* ------------------------------------------------------------------ */
/* Invoices                                                            */
/* ------------------------------------------------------------------ */

/* The point of sale sends the placeholder number with NUMOK 'N'; the
   definitive number comes from the prefix's counter. A row that arrives
   already numbered (NUMOK 'S', for instance imported history) keeps it. */
CREATE TRIGGER FACTURAS_BI FOR FACTURAS
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.FACT_ID IS NULL) THEN
    EXECUTE PROCEDURE CAMBIE_ID_FACTURA RETURNING_VALUES NEW.FACT_ID;
  IF (NEW.NUMOK IS DISTINCT FROM 'S') THEN
  BEGIN
    EXECUTE PROCEDURE ASIGNE_CONSECUTIVO 31, NEW.PREF_PRE, 'S'
      RETURNING_VALUES NEW.FACT_NUMERO;
    NEW.NUMOK = 'S';
  END
END^

CREATE TRIGGER FACTURAS_AI FOR FACTURAS
ACTIVE AFTER INSERT POSITION 0
AS
BEGIN
  INSERT INTO AUDITORIA (TIDO_COD, AUDI_IDDOC, AUDI_OPER, AUDI_COD)
    VALUES (31, NEW.FACT_ID, 'I', CURRENT_USER);
END^

/* ------------------------------------------------------------------ */
/* Cash receipts                                                       */
/* ------------------------------------------------------------------ */

CREATE TRIGGER RECIBOS_CAJA_BI FOR RECIBOS_CAJA
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.RECA_ID IS NULL) THEN
    EXECUTE PROCEDURE CAMBIE_ID_RECICAJA RETURNING_VALUES NEW.RECA_ID;
  IF (NEW.NUMOK IS DISTINCT FROM 'S') THEN
  BEGIN
    EXECUTE PROCEDURE ASIGNE_CONSECUTIVO NEW.TIDO_COD, NEW.PREF_PRE, 'N'
      RETURNING_VALUES NEW.RECA_NUMERO;
    NEW.NUMOK = 'S';
  END
END^

/* A receipt line that pays an invoice carries the invoice's stored number;
   the point of sale may only know the placeholder it sent. When the
   receipt's concept was built from that placeholder, it is corrected too. */
CREATE TRIGGER RECIBOS_CAJA_DETALLE_BI FOR RECIBOS_CAJA_DETALLE
ACTIVE BEFORE INSERT POSITION 0
AS
  DECLARE VARIABLE NUMERO VARCHAR(6);
  DECLARE VARIABLE PREFIJO VARCHAR(4);
BEGIN
  IF (NEW.RCDE_TIPODOC = 31 AND NEW.RCDE_IDDOC IS NOT NULL) THEN
  BEGIN
    NUMERO = NULL;
    SELECT FACT_NUMERO, PREF_PRE FROM FACTURAS
      WHERE FACT_ID = NEW.RCDE_IDDOC
      INTO :NUMERO, :PREFIJO;
    IF (NUMERO IS NOT NULL AND NUMERO IS DISTINCT FROM NEW.RCDE_NUMERO) THEN
    BEGIN
      UPDATE RECIBOS_CAJA
        SET RECA_CONC = 'Abono inicial factura ' || COALESCE(:PREFIJO, '') || :NUMERO
        WHERE RECA_ID = NEW.RECA_ID
          AND RECA_CONC = 'Abono inicial factura ' || COALESCE(:PREFIJO, '') ||
                          COALESCE(NEW.RCDE_NUMERO, '');
      NEW.RCDE_NUMERO = NUMERO;
      IF (NEW.RCDE_PREFIJO IS NULL) THEN
        NEW.RCDE_PREFIJO = PREFIJO;
    END
  END
END^

/* ------------------------------------------------------------------ */
/* Third party documents                                               */
/* ------------------------------------------------------------------ */

/* A new document may arrive with item 1 although the third party already
   has one: it then takes the next free item. */
CREATE TRIGGER TERCERO_DOCUMENTOS_BI FOR TERCERO_DOCUMENTOS
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.TEDO_ITEM IS NULL OR NEW.TEDO_ITEM <= 0 OR EXISTS (
        SELECT 1 FROM TERCERO_DOCUMENTOS
        WHERE TERC_NIT = NEW.TERC_NIT AND TEDO_ITEM = NEW.TEDO_ITEM)) THEN
    SELECT COALESCE(MAX(TEDO_ITEM), 0) + 1 FROM TERCERO_DOCUMENTOS
      WHERE TERC_NIT = NEW.TERC_NIT
      INTO NEW.TEDO_ITEM;
END^

/* ------------------------------------------------------------------ */
/* Surrogate keys of the remaining tables                              */
/* ------------------------------------------------------------------ */

CREATE TRIGGER ARTICULO_ALERTAS_BI FOR ARTICULO_ALERTAS
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.ARAL_ID IS NULL) THEN
    NEW.ARAL_ID = NEXT VALUE FOR GEN_ARAL_ID;
END^

CREATE TRIGGER MOVIMIENTO_ARTICULO_BI FOR MOVIMIENTO_ARTICULO
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.MOAR_ID IS NULL) THEN
    NEW.MOAR_ID = NEXT VALUE FOR GEN_MOAR_ID;
END^

CREATE TRIGGER DOCUMENTOS_PAGO_CAJA_BI FOR DOCUMENTOS_PAGO_CAJA
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.DPCA_ID IS NULL) THEN
    NEW.DPCA_ID = NEXT VALUE FOR GEN_DPCA_ID;
END^

CREATE TRIGGER ANTICIPOS_CLIENTE_BI FOR ANTICIPOS_CLIENTE
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.ANCL_ID IS NULL) THEN
    NEW.ANCL_ID = NEXT VALUE FOR GEN_ANCL_ID;
END^

CREATE TRIGGER ANTICIPOS_PROVEEDOR_BI FOR ANTICIPOS_PROVEEDOR
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.ANPR_ID IS NULL) THEN
    NEW.ANPR_ID = NEXT VALUE FOR GEN_ANPR_ID;
END^

CREATE TRIGGER MOVIMIENTO_CLIENTES_BI FOR MOVIMIENTO_CLIENTES
ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.MVCL_ID IS NULL) THEN
    NEW.MVCL_ID = NEXT VALUE FOR GEN_MVCL_ID;
END^

/* ------------------------------------------------------------------ */
/* Privileges                                                          */
/* ------------------------------------------------------------------ */

/* The server's accounts are the program's users and the program checks
   their rights itself (ACCESO_USUARIO), so every account may use every
   table, procedure, generator and exception. Whoever loads the scripts
   runs EXECUTE PROCEDURE OTORGUE_PERMISOS (and commits) once every
   object exists. */
CREATE PROCEDURE OTORGUE_PERMISOS
AS
  DECLARE VARIABLE NOMBRE VARCHAR(63);
BEGIN
  FOR SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO :NOMBRE DO
    EXECUTE STATEMENT 'GRANT ALL ON "' || NOMBRE || '" TO PUBLIC';
  FOR SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO :NOMBRE DO
    EXECUTE STATEMENT 'GRANT EXECUTE ON PROCEDURE "' || NOMBRE || '" TO PUBLIC';
  FOR SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO :NOMBRE DO
    EXECUTE STATEMENT 'GRANT USAGE ON SEQUENCE "' || NOMBRE || '" TO PUBLIC';
  FOR SELECT TRIM(RDB$EXCEPTION_NAME) FROM RDB$EXCEPTIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO :NOMBRE DO
    EXECUTE STATEMENT 'GRANT USAGE ON EXCEPTION "' || NOMBRE || '" TO PUBLIC';
END^

SET TERM ; ^
