#!/usr/bin/env bash
# Made the committed signing vector with the openssl command line, once; the tests read its files as they are.
# Running it again makes another key, so every test that names the fingerprint would need the new value.
set -euo pipefail
cd "$(dirname "$0")"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out vector.key
openssl pkey -in vector.key -pubout -out vector.pub
openssl ec -in vector.key -out vector-sec1.key 2>/dev/null
openssl ec -in vector.key -no_public 2>/dev/null | openssl pkey -out vector-bare.key
printf 'Kelvane 4.2 \xe9t\xe9\r\n\x00\xff' > vector.msg
openssl dgst -sha256 -sign vector.key -out vector.sig vector.msg
openssl dgst -sha256 -verify vector.pub -signature vector.sig vector.msg
openssl pkey -pubin -in vector.pub -outform DER | sha256sum | cut -d' ' -f1 > vector.fingerprint
# Keys that are not ours to take: the same point compressed, another curve, another algorithm, a pass phrase.
openssl ec -pubin -in vector.pub -conv_form compressed -pubout -out vector-compressed.pub 2>/dev/null
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-384 -out p384.key
openssl pkey -in p384.key -pubout -out p384.pub
openssl genpkey -algorithm ED25519 | openssl pkey -pubout -out ed25519.pub
openssl pkcs8 -topk8 -in vector.key -v2 aes-256-cbc -passout pass:kelvane -out vector-encrypted.key
chmod 644 ./*.key
