#!/usr/bin/env bash
# The speed of liqiva import: a company of one's own on a new SQLite database, 10,000
# electronic invoices (one file each, sales and purchases at 22% and 10% over the twelve
# months of 2025) generated in a folder and imported at once; printed as seconds, invoices
# per second and the largest memory the import took. Prints figures, never fails on time.
#
# Usage: bench/import.sh [INVOICES]     (default: 10000)
# Environment: LIQIVA_BENCH_BUILD  build folder (default: build)
set -euo pipefail
count=${1:-10000}
. "$(dirname "$0")/workspace.sh" import
db=sqlite:$work/bench.db
"$liqiva" schema --db "$db" >/dev/null
"$liqiva" user add --db "$db" --name bench >/dev/null
cat >"$work/company.json" <<'JSON'
{"name": "Rossi Impianti S.r.l.", "vatNumber": "00743110157",
 "address": {"street": "Via Roma 1", "postcode": "20121", "city": "Milano", "province": "MI"},
 "declarant": {"name": "Rossi Mario", "taxCode": "RSSMRA85T10A562S", "office": 1},
 "firstYear": 2025,
 "activities": [{"name": "Impianti", "ateco": "43.21.01", "atecoDescription": "Impianti elettrici", "settlement": "monthly"}]}
JSON
"$liqiva" company create --db "$db" --user 1 --input "$work/company.json" >/dev/null

mkdir "$work/fatture"
awk -v n="$count" -v dir="$work/fatture" 'BEGIN {
  for (i = 1; i <= n; i++) {
    sale = i % 2; me = "00743110157"; other = "01234567890"
    seller = sale ? me : other; buyer = sale ? other : me
    rate = i % 3 ? "22.00" : "10.00"; taxable = (i % 900) + 100
    tax = sprintf("%.2f", taxable * (i % 3 ? 22 : 10) / 100)
    month = (i % 12) + 1; day = (i % 28) + 1
    f = sprintf("%s/IT%s_%05d.xml", dir, seller, i)
    printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<p:FatturaElettronica versione=\"FPR12\" xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">" > f
    printf "<FatturaElettronicaHeader><DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>%s</IdCodice></IdTrasmittente><ProgressivoInvio>%d</ProgressivoInvio><FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>0000000</CodiceDestinatario></DatiTrasmissione>", seller, i > f
    printf "<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>%s</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Cedente</Denominazione></Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici><Sede><Indirizzo>Via Roma 1</Indirizzo><CAP>20121</CAP><Comune>Milano</Comune><Nazione>IT</Nazione></Sede></CedentePrestatore>", seller > f
    printf "<CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>%s</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Cessionario</Denominazione></Anagrafica></DatiAnagrafici><Sede><Indirizzo>Via Roma 2</Indirizzo><CAP>20121</CAP><Comune>Milano</Comune><Nazione>IT</Nazione></Sede></CessionarioCommittente></FatturaElettronicaHeader>", buyer > f
    printf "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><TipoDocumento>TD01</TipoDocumento><Divisa>EUR</Divisa><Data>2025-%02d-%02d</Data><Numero>%d</Numero></DatiGeneraliDocumento></DatiGenerali>", month, day, i > f
    printf "<DatiBeniServizi><DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>Merce</Descrizione><PrezzoUnitario>%d.00</PrezzoUnitario><PrezzoTotale>%d.00</PrezzoTotale><AliquotaIVA>%s</AliquotaIVA></DettaglioLinee>", taxable, taxable, rate > f
    printf "<DatiRiepilogo><AliquotaIVA>%s</AliquotaIVA><ImponibileImporto>%d.00</ImponibileImporto><Imposta>%s</Imposta></DatiRiepilogo></DatiBeniServizi></FatturaElettronicaBody></p:FatturaElettronica>\n", rate, taxable, tax > f
    close(f)
  } }'

start=$(date +%s.%N)
if command -v /usr/bin/time >/dev/null; then
  /usr/bin/time -f '%M' -o "$work/rss" "$liqiva" import --db "$db" --user 1 --company 1 "$work/fatture" >"$work/out.txt"
else
  "$liqiva" import --db "$db" --user 1 --company 1 "$work/fatture" >"$work/out.txt"
fi
end=$(date +%s.%N)
tail -1 "$work/out.txt"
seconds=$(echo "$end - $start" | bc -l)
printf '%-10s %10s %12s %14s\n' engine invoices seconds invoices/s
printf '%-10s %10d %12.2f %14.0f\n' sqlite "$count" "$seconds" "$(echo "$count / $seconds" | bc -l)"
[ -f "$work/rss" ] && echo "largest memory of the import: $(($(cat "$work/rss") / 1024)) MB"
