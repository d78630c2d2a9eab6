~VERSION INFORMATION
 VERS.                 2.0      :   CWLS log ASCII Standard -VERSION 2.0
 WRAP.                 YES      :   Multiple lines per depth step
~WELL INFORMATION 
#MNEM.UNIT                DATA                         DESCRIPTION
#----- -----           ----------           -----------------------------
STRT    .M               910.0000               :START DEPTH
STOP    .M               909.5000               :STOP DEPTH
STEP    .M               -0.1250                :STEP 
NULL    . -4444444444444444444444444444440.1250 :NULL VALUE
COMP    .       ANY OIL COMPANY INC.            :COMPANY
WELL    .       ANY ET AL 12-34-12-34           :WELL
FLD     .       WILDCAT                         :FIELD
LOC     .       12-34-12-34W5M                  :LOCATION
PROV    .       ALBERTA                         :PROVINCE 
SRVC    .       ANY LOGGING COMPANY INC.        :SERVICE COMPANY
SON     .       142085                          :SERVICE ORDER NUMBER
DATE    .       13-DEC-86                       :LOG DATE
UWI     .       100123401234W500                :UNIQUE WELL ID
~CURVE INFORMATION
#MNEM.UNIT                                    Curve Description
#---------                               ------------------------------
 DEPT   .M                              :    Depth
 DT     .US/M                           :  1 Sonic Travel Time
 RHOB   .K/M                            :  2 Density-Bulk Density
 NPHI   .V/V                            :  3 Porosity -Neutron
 RX0    .OHMM                           :  4 Resistivity -Rxo
 RESS   .OHMM                           :  5 Resistivity -Shallow
 RESM   .OHMM                           :  6 Resistivity -Medium
 RESD   .OHMM                           :  7 Resistivity -Deep
 SP     .MV                             :  8 Spon. Potential
 GR     .GAPI                           :  9 Gamma Ray
 CALI   .MM                             : 10 Caliper
 DRHO   .K/M3                           : 11 Delta-Rho
 EATT   .DBM                            : 12 EPT Attenuation
 TPL    .NS/M                           : 13 TP -EPT
 PEF    .                               : 14 PhotoElectric Factor
 FFI    .V/V                            : 15 Porosity -NML FFI
 DCAL   .MM                             : 16 Caliper-Differential
 RHGF   .K/M3                           : 17 Density-Formation
 RHGA   .K/M3                           : 18 Density-Apparent
 SPBL   .MV                             : 19 Baselined SP
 GRC    .GAPI                           : 20 Gamma Ray BHC
 PHIA   .V/V                            : 21 Porosity -Apparent
 PHID   .V/V                            : 22 Porosity -Density
 PHIE   .V/V                            : 23 Porosity -Effective
 PHIN   .V/V                            : 24 Porosity -Neut BHC
 PHIC   .V/V                            : 25 Porosity -Total HCC
 R0     .OHMM                           : 26 Ro
 RWA    .OHMM                           : 27 Rfa
 SW     .                               : 28 Sw -Effective
 MSI    .                               : 29 Sh Idx -Min
 BVW    .                               : 30 BVW
 FGAS   .                               : 31 Flag -Gas Index
 PIDX   .                               : 32 Prod Idx
 FBH    .                               : 33 Flag -Bad Hole
 FHCC   .                               : 34 Flag -HC Correction
 LSWB   .                               : 35 Flag -Limit SWB
~A Log data section
910.000000
  -999.2500  2692.7075     0.3140    19.4086    19.4086    13.1709    12.2681
    -1.5010    96.5306   204.7177    30.5822  -999.2500  -999.2500     3.2515
  -999.2500     4.7177  3025.0264  3025.0264    -1.5010    93.1378     0.1641
     0.0101     0.1641     0.3140     0.1641    11.1397     0.3304     0.9529
     0.0000     0.1564     0.0000    11.1397     0.0000     0.0000     0.0000
