' Sieve of Eratosthenes to 5 million: counts the primes.
Function Main() As Long
  Dim flags(5000000) As Integer
  Dim i As Long, j As Long, n As Long
  n = 0
  For i = 2 To 5000000
    If flags(i) = 0 Then
      n = n + 1
      For j = i + i To 5000000 Step i
        flags(j) = 1
      Next j
    End If
  Next i
  Main = n
End Function
